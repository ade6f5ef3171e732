"""Students chosen by driving among candidates drive on in scenes they never saw."""

from students import TAUGHT, TRAINING_SEEDS, EXAMPLES, assert_every_student_drives, lesson, train  # noqa: F401


def test_the_student_that_drives_best_in_the_taught_scenes_drives_in_every_scene(lesson):
    folder, logs = lesson
    students = []
    for seed in TRAINING_SEEDS:
        student = folder / f"selected-{seed}.xml"
        report = train(logs, student, seed, "--validate", *(EXAMPLES / scene for scene in TAUGHT))
        assert "kept candidate" in report, report
        students.append(student)
    assert_every_student_drives(students)

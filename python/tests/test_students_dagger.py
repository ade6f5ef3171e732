"""DAgger's students, trained on what their teacher says of the states they
met themselves, drive on in scenes they never saw."""

from students import TAUGHT, TEACHER, TRAINING_SEEDS, EXAMPLES, assert_every_student_drives, lesson, train  # noqa: F401


def test_after_three_rounds_of_dagger_the_student_drives_in_every_scene(lesson):
    folder, logs = lesson
    students = []
    for seed in TRAINING_SEEDS:
        student = folder / f"dagger-{seed}.xml"
        report = train(logs, student, seed, "--teacher", TEACHER, "--dagger", 3, "--candidates", 1, "--runs", 1,
                       "--scenes", *(EXAMPLES / scene for scene in TAUGHT))
        assert report.count("the teacher labelled") == 3, report
        students.append(student)
    assert_every_student_drives(students)

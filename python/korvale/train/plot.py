"""SVG line charts: the training loss per epoch, on a logarithmic axis so
that the slow late progress stays visible, and any other lines over time
(korvale-evolve's fitness per generation)."""

import math

WIDTH, HEIGHT = 640, 400
LEFT, RIGHT, TOP, BOTTOM = 70, 20, 40, 50


def nice_ticks(low, high, count=5):
    """Round tick values covering low..high: steps of 1, 2 or 5 times a power of ten."""
    if high <= low:
        high = low + 1
    raw = (high - low) / count
    power = 10 ** math.floor(math.log10(raw))
    step = next(s * power for s in (1, 2, 5, 10) if s * power >= raw)
    first = math.floor(low / step)
    ticks = [round(first * step, 12)]
    # The last tick reaches high: the line's last point lies inside the frame.
    while ticks[-1] < high - step * 1e-9:
        ticks.append(round((first + len(ticks)) * step, 12))
    return ticks


def log_ticks(low, high):
    """Decades covering low..high (both > 0), with 2 and 5 between them when
    the range spans fewer than two decades."""
    first, last = math.floor(math.log10(low)), math.ceil(math.log10(high))
    if last == first:
        last += 1
    steps = (1, 2, 5) if last - first < 2 else (1,)
    return [m * 10.0**e for e in range(first, last) for m in steps] + [10.0**last]


def _label(value):
    return f"{value:.6g}"


def loss_svg(losses, title="Training loss per epoch"):
    """The loss of each epoch, epochs counted from 1, on a logarithmic axis."""
    losses = [max(loss, 1e-12) for loss in losses]  # a logarithm needs a positive loss
    return line_chart([("loss", losses)], title, "epoch", "loss (log scale)", log=True)


COLOURS = ("#3366cc", "#dc3912", "#109618", "#ff9900")


def line_chart(series, title, x_label, y_label, log=False):
    """An SVG chart of one line per series, given as (label, values): value k
    is drawn at x = k + 1. With log the y axis is logarithmic (values > 0).
    A legend names the series when there are several."""
    values = [value for _, line in series for value in line]
    count = max((len(line) for _, line in series), default=0)
    xticks = nice_ticks(0, max(count, 1))
    if log:
        yticks = log_ticks(min(values), max(values)) if values else [0.1, 1.0]
        scale = math.log10
    else:
        yticks = nice_ticks(min(values), max(values)) if values else [0.0, 1.0]
        scale = float
    xmax, ylow, yhigh = xticks[-1], scale(yticks[0]), scale(yticks[-1])
    plot_w, plot_h = WIDTH - LEFT - RIGHT, HEIGHT - TOP - BOTTOM

    def x(position):
        return LEFT + plot_w * position / xmax

    def y(value):
        return TOP + plot_h * (yhigh - scale(value)) / (yhigh - ylow)

    out = [
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{WIDTH}" height="{HEIGHT}" '
        f'viewBox="0 0 {WIDTH} {HEIGHT}" font-family="sans-serif" font-size="12">',
        f'<rect width="{WIDTH}" height="{HEIGHT}" fill="white"/>',
        f'<text x="{WIDTH / 2:.1f}" y="22" text-anchor="middle" font-size="15">{title}</text>',
    ]
    for tick in xticks:
        out.append(f'<line x1="{x(tick):.2f}" y1="{TOP}" x2="{x(tick):.2f}" y2="{TOP + plot_h}" stroke="#e4e4e4"/>')
        out.append(f'<text x="{x(tick):.2f}" y="{TOP + plot_h + 18}" text-anchor="middle">{_label(tick)}</text>')
    for tick in yticks:
        out.append(f'<line x1="{LEFT}" y1="{y(tick):.2f}" x2="{LEFT + plot_w}" y2="{y(tick):.2f}" stroke="#e4e4e4"/>')
        out.append(f'<text x="{LEFT - 8}" y="{y(tick) + 4:.2f}" text-anchor="end">{_label(tick)}</text>')
    out.append(f'<rect x="{LEFT}" y="{TOP}" width="{plot_w}" height="{plot_h}" fill="none" stroke="#444"/>')
    out.append(f'<text x="{LEFT + plot_w / 2:.1f}" y="{HEIGHT - 10}" text-anchor="middle">{x_label}</text>')
    out.append(
        f'<text x="16" y="{TOP + plot_h / 2:.1f}" text-anchor="middle" '
        f'transform="rotate(-90 16 {TOP + plot_h / 2:.1f})">{y_label}</text>'
    )
    for index, (label, line) in enumerate(series):
        colour = COLOURS[index % len(COLOURS)]
        if line:
            points = " ".join(f"{x(k):.2f},{y(value):.2f}" for k, value in enumerate(line, 1))
            out.append(f'<polyline points="{points}" fill="none" stroke="{colour}" stroke-width="2"/>')
            if len(line) == 1:  # a line of one point draws nothing
                out.append(f'<circle cx="{x(1):.2f}" cy="{y(line[0]):.2f}" r="3" fill="{colour}"/>')
        if len(series) > 1:
            top = TOP + 10 + 16 * index
            out.append(f'<line x1="{LEFT + 10}" y1="{top}" x2="{LEFT + 30}" y2="{top}" stroke="{colour}" '
                       f'stroke-width="2"/>')
            out.append(f'<text x="{LEFT + 36}" y="{top + 4}">{label}</text>')
    out.append("</svg>")
    return "\n".join(out) + "\n"

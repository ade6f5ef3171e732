"""The training loss per epoch as an SVG line chart, the loss on a
logarithmic axis so that the slow late progress stays visible."""

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
    first = math.floor(low / step) * step
    ticks = []
    value = first
    while value < high + step * 0.5:
        ticks.append(round(value, 12))
        value += step
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
    losses = [max(loss, 1e-12) for loss in losses]  # a logarithm needs a positive loss
    epochs = len(losses)
    xticks = nice_ticks(0, max(epochs, 1))
    yticks = log_ticks(min(losses), max(losses)) if losses else [0.1, 1.0]
    xmax, ylow, yhigh = xticks[-1], math.log10(yticks[0]), math.log10(yticks[-1])
    plot_w, plot_h = WIDTH - LEFT - RIGHT, HEIGHT - TOP - BOTTOM

    def x(epoch):
        return LEFT + plot_w * epoch / xmax

    def y(loss):
        return TOP + plot_h * (yhigh - math.log10(loss)) / (yhigh - ylow)

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
    out.append(f'<text x="{LEFT + plot_w / 2:.1f}" y="{HEIGHT - 10}" text-anchor="middle">epoch</text>')
    out.append(
        f'<text x="16" y="{TOP + plot_h / 2:.1f}" text-anchor="middle" '
        f'transform="rotate(-90 16 {TOP + plot_h / 2:.1f})">loss (log scale)</text>'
    )
    if losses:
        points = " ".join(f"{x(epoch):.2f},{y(loss):.2f}" for epoch, loss in enumerate(losses, 1))
        out.append(f'<polyline points="{points}" fill="none" stroke="#3366cc" stroke-width="2"/>')
        if epochs == 1:  # a line of one point draws nothing
            out.append(f'<circle cx="{x(1):.2f}" cy="{y(losses[0]):.2f}" r="3" fill="#3366cc"/>')
    out.append("</svg>")
    return "\n".join(out) + "\n"

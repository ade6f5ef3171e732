"""A student that never gives no command at all, nor turns both ways at once.

A student that gives no command stands still, its readings no longer change,
and it stands there for good: where its teacher's sensor noise soon moves
the teacher on, where a person would press a key. It happens wherever the
demonstration mixed commands for like readings (forward here, a turn there,
each output alone below 0.5), and in places the demonstration never showed.
So the student drives forward wherever it would give no command. Left and
right together (both wheels forward, as if straight on) come of the same
mixing, and drive the robot into what it meant to turn from: of the two,
only the one with the larger margin stays.

The network file holds this as two more layers after the learnt outputs.
The first makes each output a sharp yes or no, the logsig of a steep
multiple of its margin over the threshold of 0.5, and one more unit says
whether left's margin is the larger. The second gives

    forward  = 3 f - b - l - r + 1/2 > 0   (forward, or nothing else)
    backward = b - 1/2 > 0
    left     = l + d - 3/2 > 0             (left, and left's margin the larger)
    right    = r - d - 1/2 > 0             (right, and left's margin not the larger)

Within a few hundredths of the threshold the sharp yes or no is not quite
0 or 1; everywhere else the commands are exactly those of that rule.
"""

import numpy as np

SHARPNESS = 50.0  # the sharp copy: logsig(SHARPNESS x margin)
# Rows: forward, backward, left, right; columns: f, b, l, r, d (left's margin the larger).
DECISION = np.array([[3.0, -1.0, -1.0, -1.0, 0.0], [0.0, 1.0, 0.0, 0.0, 0.0], [0.0, 0.0, 1.0, 0.0, 1.0],
                     [0.0, 0.0, 0.0, 1.0, -1.0]])
OFFSET = np.array([0.5, -0.5, -1.5, -0.5])
# The sharp layer's units as rows of the margins: f, b, l, r, then l - r.
SHARP = np.array([[1.0, 0.0, 0.0, 0.0], [0.0, 1.0, 0.0, 0.0], [0.0, 0.0, 1.0, 0.0], [0.0, 0.0, 0.0, 1.0],
                  [0.0, 0.0, 1.0, -1.0]])


def logsig(values):
    with np.errstate(over="ignore"):  # far beyond the threshold: exactly 0 or 1
        return 1.0 / (1.0 + np.exp(-values))


def margin_layer(function, weights, bias):
    """The sharp layer's weights and bias, from the last learnt layer's:
    before the logsig, SHARPNESS times the margin of each output over its
    threshold (the weighted sum itself for logsig outputs, on above 0; that
    sum minus 0.5 for purelin ones, on above 0.5), and of left's over right's."""
    shift = 0.5 if function == "purelin" else 0.0
    return SHARPNESS * (SHARP @ weights), SHARPNESS * (SHARP @ (bias - shift))


def moving_layers(layers):
    """The network file's layers (function, weights, bias) with the two of
    this rule in place of the learnt outputs."""
    *hidden, (function, weights, bias) = layers
    sharp_weights, sharp_bias = margin_layer(function, weights, bias)
    return hidden + [("logsig", sharp_weights, sharp_bias),
                     ("logsig", SHARPNESS * DECISION, SHARPNESS * OFFSET)]


def moving_outputs(margins):
    """What those two layers give for each row of margins (the weighted
    sums of the last learnt layer, shifted as margin_layer shifts them)."""
    sharp = logsig(SHARPNESS * (margins @ SHARP.T))
    return logsig(SHARPNESS * (sharp @ DECISION.T + OFFSET))

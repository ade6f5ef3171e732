"""Writing a trained model as a Korvale network file.

Korvale evaluates a file as: subtract mean, divide by std (0 where the
deviation is below 1e-10), multiply by PCAmatrix, then for each layer
weights times input plus bias through the transfer function. Every fitted
step maps onto that, except PCA's own centring, which is folded into the
first layer's bias. Numbers are written in Python's shortest exact form, so
Korvale reads back the very doubles the model holds.
"""

import numpy as np

from korvale.files import write_whole
from korvale.train.combinations import choice_layers


def network_parts(network):
    """The file's parts as arrays: mean, std, PCA matrix (or None), and per
    layer its transfer function, weight matrix (a row per neuron) and bias."""
    scaler, pca, mlp = network.scaler, network.pca, network.mlp
    mean = scaler.mean_
    std = np.where(np.isinf(scaler.scale_), 0.0, scaler.scale_)
    weights = [coefs.T for coefs in mlp.coefs_]
    biases = [intercepts.copy() for intercepts in mlp.intercepts_]
    projection = None
    if pca is not None:
        projection = pca.components_
        # The model feeds layer 1 with P(x - c); the file feeds it Px.
        biases[0] = biases[0] - (pca.mean_ @ projection.T) @ mlp.coefs_[0]
    functions = [network.hidden_fcn] * (len(weights) - 1) + [network.output_fcn]
    layers = list(zip(functions, weights, biases))
    combinations = getattr(network, "combinations", None)
    return mean, std, projection, layers if combinations is None else choice_layers(layers, combinations)


def network_text(network):
    mean, std, projection, layers = network_parts(network)
    inputs, outputs = len(mean), layers[-1][1].shape[0]
    lines = [
        '<?xml version="1.0"?>',
        f'<network inputDimensions="{inputs}" outputDimensions="{outputs}" numLayers="{len(layers)}">',
        f"  <mean>{_vector(mean)}</mean>",
        f"  <std>{_vector(std)}</std>",
    ]
    if projection is not None:
        lines.append(f"  <PCAmatrix>{_matrix(projection, '  ')}</PCAmatrix>")
    lines.append("  <layers>")
    for index, (function, weights, _) in enumerate(layers, 1):
        lines.append(f'    <layer index="{index}" dimensions="{weights.shape[0]}" transferFcn="{function}"/>')
    lines += ["  </layers>", "  <weights>"]
    for index, (_, weights, _) in enumerate(layers, 1):
        element = "inputlayer" if index == 1 else "hiddenlayer"
        lines.append(f'    <{element} from="{index - 1}" to="{index}">{_matrix(weights, "    ")}</{element}>')
    lines += ["  </weights>", "  <biases>"]
    for index, (_, _, bias) in enumerate(layers, 1):
        lines.append(f'    <bias to="{index}">{_vector(bias)}</bias>')
    lines += ["  </biases>", "</network>", ""]
    return "\n".join(lines)


def number(value):
    """The shortest text that reads back as exactly this double."""
    value = float(value)
    if not np.isfinite(value):
        raise ValueError(f"a network holds finite numbers only, not {value}")
    return repr(value)


def _vector(values):
    return f'<vector m="{len(values)}">{" ".join(map(number, values))}</vector>'


def _matrix(rows, indent):
    m, n = rows.shape
    text = "".join(f"\n{indent}    {' '.join(map(number, row))}" for row in rows)
    return f'<matrix m="{m}" n="{n}">{text}\n{indent}  </matrix>'


def write_file(path, text, force=False):
    """Writes text to path whole (korvale.files.write_whole). Without force
    an existing file is never touched; with force the old file is replaced
    only once the new one is complete."""
    write_whole(path, text.encode("ascii"), overwrite=force)


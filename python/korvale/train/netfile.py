"""Writing a trained model as a Korvale network file.

Korvale evaluates a file as: subtract mean, divide by std (0 where the
deviation is below 1e-10), multiply by PCAmatrix, then for each layer
weights times input plus bias through the transfer function. Every fitted
step maps onto that, except PCA's own centring, which is folded into the
first layer's bias. Numbers are written in Python's shortest exact form, so
Korvale reads back the very doubles the model holds.
"""

import os
import tempfile
from pathlib import Path

import numpy as np

from korvale_train.combinations import choice_layers


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
    """Writes text to path. Without force an existing file is never touched;
    with force the old file is replaced only once the new one is complete."""
    path = Path(path)
    data = text.encode("ascii")
    if not force:
        with open(path, "xb") as out:
            out.write(data)
        return

    def write(temporary):
        with open(temporary, "wb") as out:
            out.write(data)

    replace_file(path, write)


def replace_file(path, write):
    """Makes path anew: write(temporary) fills a new file in the same folder,
    which then takes path's place in one step, so a reader sees the old file
    or the whole new one, never a part. Nothing is left behind on failure."""
    path = Path(path)
    handle, temporary = tempfile.mkstemp(dir=path.parent, prefix=f".{path.name}.", suffix=".tmp")
    os.close(handle)
    try:
        write(temporary)
        with open(temporary, "rb+") as out:
            os.fsync(out.fileno())
        os.chmod(temporary, 0o666 & ~_umask())
        os.replace(temporary, path)
    except BaseException:
        Path(temporary).unlink(missing_ok=True)
        raise


def _umask():
    mask = os.umask(0)
    os.umask(mask)
    return mask

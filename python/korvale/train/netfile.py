"""Writing a trained model as a Korvale network file.

Korvale evaluates a file as: subtract mean, divide by std (0 where the
deviation is below 1e-10), multiply by PCAmatrix, then for each layer
weights times input plus bias through the transfer function. Every fitted
step maps onto that, except PCA's own centring, which is folded into the
first layer's bias. The file is written by the module's network writer, its
numbers in their shortest exact digits, so Korvale reads back the very
doubles the model holds.
"""

import numpy as np

from korvale import Network
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


def as_korvale(network) -> Network:
    """The trained model as a korvale.Network: what its network file holds."""
    mean, std, projection, layers = network_parts(network)
    functions, weights, biases = zip(*layers)
    return Network(list(weights), list(biases), list(functions), mean=mean, std=std, pca=projection)


def network_text(network) -> str:
    """The network file of the trained model, written by Korvale's own
    writer with the numbers as korvale-train has always written them
    (Python's repr of each double). ValueError for a model no network file
    could hold (a number that is not finite)."""
    return as_korvale(network)._text(pointed=True).decode("ascii")


def write_file(path, text, force=False):
    """Writes text to path whole (korvale.files.write_whole). Without force
    an existing file is never touched; with force the old file is replaced
    only once the new one is complete."""
    write_whole(path, text.encode("ascii"), overwrite=force)


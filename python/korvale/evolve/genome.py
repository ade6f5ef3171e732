"""A network's weights and biases as one flat vector, the genome the
strategy evolves, and back.

The genome holds the layers in order, each as its weight matrix row by row
(one row per neuron, one column per output of the layer before) followed by
its biases. The readings are divided by `input_scale` before the first layer
(the network file's `std`, with a `mean` of 0), so that weights of order 1
suit readings of 0 to about 1100.
"""

import dataclasses

import numpy as np

import korvale

OUTPUTS = 4  # forward, backward, left, right


@dataclasses.dataclass(frozen=True)
class NetworkShape:
    """sizes: inputs, each hidden layer, outputs; transfer: one function per
    layer after the inputs."""

    sizes: tuple
    transfer: tuple
    input_scale: float

    @classmethod
    def of(cls, inputs, network):
        """The shape for a robot with `inputs` readings and a NetworkConfig."""
        sizes = (inputs, *network.hidden, OUTPUTS)
        transfer = (network.hidden_fcn,) * len(network.hidden) + (network.output_fcn,)
        return cls(sizes, transfer, network.input_scale)

    @property
    def dimension(self):
        """Weights and biases in all: the genome's length."""
        return sum((before + 1) * after for before, after in zip(self.sizes, self.sizes[1:]))

    def layers(self, genome):
        """Per layer (weights of shape (size_k, size_k-1), biases of shape (size_k,)),
        views into the genome."""
        genome = np.asarray(genome, dtype=np.float64)
        if genome.shape != (self.dimension,):
            raise ValueError(f"a genome of this shape holds {self.dimension} numbers, not {genome.shape}")
        layers, start = [], 0
        for before, after in zip(self.sizes, self.sizes[1:]):
            weights = genome[start:start + before * after].reshape(after, before)
            start += before * after
            layers.append((weights, genome[start:start + after]))
            start += after
        return layers

    def network(self, genome):
        """The genome as a korvale.Network."""
        layers = self.layers(genome)
        inputs = self.sizes[0]
        return korvale.Network([w for w, _ in layers], [b for _, b in layers], list(self.transfer),
                               mean=np.zeros(inputs), std=np.full(inputs, self.input_scale))

    def describe(self):
        """'8 readings -> 4 tansig -> 4 logsig outputs'."""
        parts = [f"{self.sizes[0]} readings"]
        parts += [f"{size} {fcn}" for size, fcn in zip(self.sizes[1:-1], self.transfer)]
        parts.append(f"{self.sizes[-1]} {self.transfer[-1]} outputs")
        return " -> ".join(parts)

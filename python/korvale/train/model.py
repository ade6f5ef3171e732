"""Fitting a network to demonstrations with scikit-learn.

The model is the network file's own pipeline: standardise each reading, then
optionally project onto principal components, then a multilayer perceptron
whose four outputs are the four commands. Training runs one epoch per
partial_fit call so that progress can be shown and stopping decided here.
"""

from dataclasses import dataclass

import numpy as np
from sklearn.decomposition import PCA
from sklearn.model_selection import train_test_split
from sklearn.neural_network import MLPClassifier, MLPRegressor
from sklearn.preprocessing import StandardScaler

from korvale.train.demonstrations import balanced_rows, moving, standing_share
from korvale.train.combinations import chosen_outputs, demonstrated, logsig, margins, undone

# The network file's transfer functions and scikit-learn's names for them.
ACTIVATIONS = {"tansig": "tanh", "logsig": "logistic", "purelin": "identity"}
OUTPUT_FUNCTIONS = ("logsig", "purelin")

# Korvale's network turns a reading whose deviation lies below this into 0
# rather than dividing by it.
DEVIATION_FLOOR = 1e-10

# Stop once the loss has not fallen by TOLERANCE for more than PATIENCE
# epochs, as scikit-learn's own fit does.
TOLERANCE = 1e-4
PATIENCE = 10


@dataclass(frozen=True)
class TrainOptions:
    hidden: tuple = (8,)  # sizes of the hidden layers; () for none
    hidden_fcn: str = "tansig"
    output_fcn: str = "logsig"
    pca: int = 0  # principal components kept; 0 for no projection
    holdout: float = 0.2  # share of lines kept out of training for validation
    seed: int = 0
    epochs: int = 200  # most epochs trained
    learning_rate: float = 0.01  # the optimiser's initial step
    balance: float = 0.0  # rarer command combinations repeated up to this share of the commonest; 0: off
    noise: float = 0.0  # deviation of the noise added to the normalised readings in every epoch; 0: none
    standing: float = 0.01  # most share of the moving training lines the student may stand still on; 1: any
    demonstrated: bool = True  # only combinations of commands the demonstration holds (see combinations.py)
    keep_opposites: bool = False  # also those whose wheels turn opposite to a commoner one's


@dataclass
class TrainedNetwork:
    """The fitted steps, in the order the network file applies them."""

    scaler: StandardScaler  # scale_ is infinite where a reading never changed
    pca: PCA  # or None
    mlp: object  # MLPClassifier (logsig outputs) or MLPRegressor (purelin outputs)
    hidden_fcn: str
    output_fcn: str
    combinations: object = None  # the combinations it may give (see combinations.py); None: any

    def outputs(self, readings):
        """The four outputs for each row of readings, as the network file computes them."""
        x = self.scaler.transform(readings)
        if self.pca is not None:
            x = self.pca.transform(x)
        if self.combinations is not None:
            return chosen_outputs(self._margins(x), self.combinations)
        if isinstance(self.mlp, MLPClassifier):
            return self.mlp.predict_proba(x)
        return self.mlp.predict(x)

    def _margins(self, x):
        """The last layer's weighted sums, less 0.5 for purelin outputs: each
        output is on where its margin is above 0."""
        activation = {"tanh": np.tanh, "logistic": logsig, "identity": lambda v: v}[self.mlp.activation]
        for weights, bias in zip(self.mlp.coefs_[:-1], self.mlp.intercepts_[:-1]):
            x = activation(x @ weights + bias)
        return margins(self.output_fcn, x @ self.mlp.coefs_[-1] + self.mlp.intercepts_[-1])

    def commands(self, readings):
        """The commands the robot would be given: each output above 0.5."""
        return self.outputs(readings) > 0.5


@dataclass
class Training:
    network: TrainedNetwork
    losses: list  # training loss after each epoch
    converged: bool  # stopped because the loss no longer fell
    train_rows: np.ndarray  # indices of the lines trained on
    holdout_rows: np.ndarray  # indices of the lines kept out
    threshold: float = 0.5  # forward, left and right turn on above this output (see lower_thresholds)
    stood: float = 0.0  # share of the moving training lines the network as learnt stood still on
    left_out: tuple = ()  # (combination, the commoner one it undoes) the student does not give


class TrainingError(Exception):
    """Options that do not fit the data, or a training run that failed."""


def split_rows(count, holdout, seed):
    """Indices of the training and the held-out lines, each in file order."""
    rows = np.arange(count)
    held = int(count * holdout)
    if held == 0:
        return rows, rows[:0]
    if held >= count:
        raise TrainingError(f"holding out {holdout:g} of {count} lines leaves none to train on")
    train, test = train_test_split(rows, test_size=held, random_state=seed)
    return np.sort(train), np.sort(test)


def fit_scaler(readings):
    """Mean and deviation of each reading; a reading that (nearly) never changes
    gets an infinite scale, so that it becomes 0 as it does in Korvale."""
    scaler = StandardScaler().fit(readings)
    deviation = np.sqrt(scaler.var_)
    scaler.scale_ = np.where(deviation < DEVIATION_FLOOR, np.inf, deviation)
    return scaler


def train(readings, commands, options, progress=None, weights=None):
    """Fits the network; progress(epoch, loss) is called after every epoch.
    weights: how many times each line counts (once when None)."""
    check_options(options, readings.shape[1])
    train_rows, holdout_rows = split_rows(len(readings), options.holdout, options.seed)
    # The deviations describe the lines as demonstrated; the repeats only
    # weigh the rare ones more in the loss.
    scaler = fit_scaler(readings[train_rows])
    rows = train_rows[balanced_rows(commands[train_rows], options.balance)]
    if weights is not None:
        rows = np.repeat(rows, np.asarray(weights)[rows])
    x, y = scaler.transform(readings[rows]), commands[rows]
    pca = None
    if options.pca:
        if options.pca > len(train_rows):
            raise TrainingError(
                f"--pca {options.pca} needs at least {options.pca} training lines, not {len(train_rows)}")
        pca = PCA(n_components=options.pca, svd_solver="full").fit(scaler.transform(readings[train_rows]))
    epoch_inputs = _epoch_inputs(x, scaler, pca, options)

    # One generator for initial weights and every epoch's shuffle: the same
    # seed gives the same network.
    settings = dict(
        hidden_layer_sizes=options.hidden,
        activation=ACTIVATIONS[options.hidden_fcn],
        solver="adam",
        learning_rate_init=options.learning_rate,
        random_state=np.random.RandomState(options.seed),
    )
    if options.output_fcn == "logsig":
        mlp, first = MLPClassifier(**settings), {"classes": np.arange(commands.shape[1])}
    else:
        mlp, first = MLPRegressor(**settings), {}

    losses, best, stale, converged = [], np.inf, 0, False
    for epoch in range(1, options.epochs + 1):
        try:
            mlp.partial_fit(epoch_inputs(), y, **first)
        except ValueError as error:  # weights that are no longer finite
            raise TrainingError(f"training failed in epoch {epoch}: {error}") from None
        first = {}
        losses.append(float(mlp.loss_))
        if progress:
            progress(epoch, losses[-1])
        stale = stale + 1 if losses[-1] > best - TOLERANCE else 0
        best = min(best, losses[-1])
        if stale > PATIENCE:
            converged = True
            break

    network = TrainedNetwork(scaler, pca, mlp, options.hidden_fcn, options.output_fcn)
    stood = standing_share(network.commands(readings[train_rows]), commands[train_rows])
    threshold = lower_thresholds(network, readings[train_rows], commands[train_rows], options.standing)
    left_out = ()
    if options.demonstrated:
        network.combinations = demonstrated(commands[train_rows], options.keep_opposites)
        if not options.keep_opposites:
            left_out = undone(commands[train_rows])
    return Training(network, losses, converged, train_rows, holdout_rows, threshold, stood, left_out)


# The outputs that move the robot on: forward, left and right. Reversing is
# left as learnt: a student that backs off where it is unsure rocks to and fro.
MOVING_OUTPUTS = (0, 2, 3)
THRESHOLDS = (0.5, 0.45, 0.4, 0.35, 0.3, 0.25)


def lower_thresholds(network, readings, commands, standing):
    """Where the demonstration mixes commands for like readings (forward
    here, a turn there), each output on its own stays below 0.5 and the
    student stands still; and a student that stands still stays where it
    stopped. So forward, left and right are turned on from a lower
    threshold, the highest of THRESHOLDS at which the student stands still
    on at most `standing` of the lines where the demonstration moved. The
    threshold is folded into the outputs' biases (the file still compares
    with 0.5); returns it."""
    drove = moving(commands)
    if not drove.any() or standing >= 1:
        return 0.5
    rows = readings[drove]
    biases = network.mlp.intercepts_[-1]
    learnt = biases.copy()
    for threshold in THRESHOLDS:
        shift = -np.log(threshold / (1 - threshold)) if network.output_fcn == "logsig" else 0.5 - threshold
        biases[list(MOVING_OUTPUTS)] = learnt[list(MOVING_OUTPUTS)] + shift
        if np.mean(~moving(network.commands(rows))) <= standing:
            break
    return threshold


def _epoch_inputs(x, scaler, pca, options):
    """What each epoch trains on: the normalised (and projected) readings,
    with fresh noise every epoch when asked for, from a generator of the seed's own."""
    project = pca.transform if pca is not None else (lambda values: values)
    if options.noise <= 0:
        fixed = project(x)
        return lambda: fixed
    # Readings that never change are 0 in the network file: no noise there.
    noisy = np.isfinite(scaler.scale_)
    generator = np.random.RandomState([options.seed, 1])
    return lambda: project(x + generator.normal(0.0, options.noise, x.shape) * noisy)


def check_options(options, sensors):
    if options.hidden_fcn not in ACTIVATIONS:
        raise TrainingError(f"unknown hidden transfer function '{options.hidden_fcn}'")
    if options.output_fcn not in OUTPUT_FUNCTIONS:
        raise TrainingError(f"the outputs are logsig or purelin, not '{options.output_fcn}'")
    if any(size < 1 for size in options.hidden):
        raise TrainingError("a hidden layer needs at least one neuron")
    if not 0 <= options.pca <= sensors:
        raise TrainingError(f"--pca {options.pca}: the logs have {sensors} readings per line")
    if not 0 <= options.holdout < 1:
        raise TrainingError("the held-out share lies between 0 and 1")
    if not options.learning_rate > 0:
        raise TrainingError("the learning rate must be greater than 0")
    if options.epochs < 1:
        raise TrainingError("training needs at least one epoch")
    if not options.balance >= 0:
        raise TrainingError("the balance share must not be negative")
    if not options.noise >= 0:
        raise TrainingError("the input noise must not be negative")
    if not 0 <= options.standing <= 1:
        raise TrainingError("the standing share lies between 0 and 1")

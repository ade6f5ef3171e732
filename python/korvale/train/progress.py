"""Progress while training: a rewritten line on a terminal, or whole lines
for a program that shows them (the window's status line)."""

# Whole lines are written every this many epochs (and for the first).
EPOCHS_PER_LINE = 10


class TerminalProgress:
    """One line on the terminal, rewritten after every epoch."""

    def __init__(self, stream):
        self.stream, self.what, self.epochs = stream, "", 0

    def stage(self, what, epochs=0):
        self.what, self.epochs = what, epochs
        if what:
            self._show(f"\033[K{what}")

    def __call__(self, epoch, loss):
        self._show(f"{self.what + '  ' if self.what else ''}epoch {epoch}/{self.epochs}  loss {loss:.5f}")

    def _show(self, text):
        self.stream.write(f"\r{text}")
        self.stream.flush()

    def close(self):
        self.stream.write("\r\033[K")
        self.stream.flush()

    def finish(self, text):
        pass


class ProgressLines:
    """Every step as one line "progress: ...", and at the end "done: ..."."""

    def __init__(self, stream):
        self.stream, self.what, self.epochs = stream, "", 0

    def stage(self, what, epochs=0):
        self.what, self.epochs = what, epochs
        if what:
            self._line(f"progress: {what}")

    def __call__(self, epoch, loss):
        if epoch == 1 or epoch % EPOCHS_PER_LINE == 0:
            self._line(f"progress: {self.what + ', ' if self.what else ''}epoch {epoch} of {self.epochs}")

    def _line(self, text):
        self.stream.write(text + "\n")
        self.stream.flush()

    def close(self):
        pass

    def finish(self, text):
        self._line(f"done: {text}")

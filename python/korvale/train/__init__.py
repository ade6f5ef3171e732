"""korvale-train: learns a Korvale network file from run logs with scikit-learn."""

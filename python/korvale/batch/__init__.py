"""korvale-batch: every network against every scene over several seeds, as
tasks on Dask distributed. The sweep file is read by `sweep`, one run is
`task.run` (executed on a worker), the cluster side is `runner`, the CSV and
the summary are `report`, and `cli` is the command."""

"""Writing a file whole: a new file is made beside the target and renamed
into place, so that a reader never sees half of it and a failure leaves the
target as it was."""

import errno
import os
import tempfile


def write_whole(path, data: bytes, *, overwrite: bool = False) -> None:
    """Writes data to path. Without overwrite an existing file is never
    touched (FileExistsError); with it the old file stays until the new one
    is complete."""
    path = os.fspath(path)
    folder = os.path.dirname(os.path.abspath(path))
    handle, temporary = tempfile.mkstemp(dir=folder, prefix="." + os.path.basename(path) + ".", suffix=".tmp")
    try:
        with os.fdopen(handle, "wb") as out:
            out.write(data)
            out.flush()
            os.fsync(out.fileno())
        os.chmod(temporary, 0o666 & ~_umask())
        if overwrite:
            os.replace(temporary, path)
        else:
            # A hard link takes the name only if it is free, in one step.
            try:
                os.link(temporary, path)
            except OSError as error:
                if error.errno not in _NO_HARD_LINKS:
                    raise
                # A file system without hard links (FAT): the name is still
                # taken only if free, and filled at once.
                with open(path, "xb") as out:
                    out.write(data)
            os.unlink(temporary)
    except BaseException:
        if os.path.exists(temporary):
            os.unlink(temporary)
        raise


_NO_HARD_LINKS = {errno.EPERM, errno.EOPNOTSUPP, errno.ENOTSUP, errno.EMLINK}


def _umask():
    mask = os.umask(0)
    os.umask(mask)
    return mask

"""MkDocs hooks for Korvale's site (mkdocs.yml names this file).

A strict build fails on any warning, but MkDocs 1.4 only mentions a page that
the navigation leaves out; this makes it a warning, so that no page of docs/
can be left where no reader finds it.
"""

import logging

log = logging.getLogger("mkdocs.hooks.korvale")


def on_nav(nav, config, files):
    """Warns of every page of docs/ that the navigation leaves out."""
    in_nav = {page.file.src_path for page in nav.pages}
    for file in files.documentation_pages():
        if file.src_path not in in_nav:
            log.warning("docs/%s is not in the navigation (nav in mkdocs.yml)", file.src_path)
    return nav

# A stand-in of PyGObject for the Nautilus extension's test: only what the
# extension uses, and the version it asks for is recorded.
required = {}


def require_version(namespace, version):
    required[namespace] = version

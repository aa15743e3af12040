# What `cmake --install` puts on the system, and the Debian package.

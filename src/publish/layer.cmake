# TLS for FTPS: GnuTLS (Debian libgnutls28-dev), for its checks of the
# certificate against the system's trusted certificates and the host name in
# one call, and its plain session resumption for the data connections.
pkg_check_modules(GNUTLS REQUIRED IMPORTED_TARGET gnutls)
target_link_libraries(tessary_core PUBLIC PkgConfig::GNUTLS)

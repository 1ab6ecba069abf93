# External libraries of the platform layer.
pkg_check_modules(QL_CAIRO REQUIRED IMPORTED_TARGET cairo cairo-ft cairo-pdf cairo-png)
pkg_check_modules(QL_FONTS REQUIRED IMPORTED_TARGET fontconfig freetype2)
target_link_libraries(platform PUBLIC PkgConfig::QL_CAIRO PkgConfig::QL_FONTS)

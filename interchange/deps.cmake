# interchange sits on the score model and the platform layer.
ql_depends(interchange core platform shell staves layout objects display editing sequencer)
# MusicXML: the streaming XML parser and the ".mxl" zip container.
pkg_check_modules(QL_MUSICXML REQUIRED IMPORTED_TARGET expat libzip)
target_link_libraries(interchange PUBLIC PkgConfig::QL_MUSICXML)

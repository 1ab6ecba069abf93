# interchange sits on the score model and the platform layer; export builds its
# events with the sequencer's performance builder and import transcribes through
# it; files are replaced through the native files' atomic save.
ql_depends(interchange core platform staves layout notes objects display editing sequencer files)
# MusicXML: the streaming XML parser and the ".mxl" zip container.
pkg_check_modules(QL_MUSICXML REQUIRED IMPORTED_TARGET expat libzip)
target_link_libraries(interchange PUBLIC PkgConfig::QL_MUSICXML)

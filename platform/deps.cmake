# External libraries of the platform layer.
pkg_check_modules(QL_CAIRO REQUIRED IMPORTED_TARGET cairo cairo-ft cairo-pdf cairo-png)
pkg_check_modules(QL_FONTS REQUIRED IMPORTED_TARGET fontconfig freetype2)
target_link_libraries(platform PUBLIC PkgConfig::QL_CAIRO PkgConfig::QL_FONTS)
# zlib: the compressed streams of the PDF files the printer contexts write.
pkg_check_modules(QL_ZLIB REQUIRED IMPORTED_TARGET zlib)
target_link_libraries(platform PUBLIC PkgConfig::QL_ZLIB)
# MIDI: the ALSA sequencer and the FluidSynth software synthesizer. Only their
# libraries are taken: fluidsynth's compile flags (-D_XOPEN_SOURCE=600 among
# them) would hide POSIX calls from every file, and both headers are in the
# standard include path.
pkg_check_modules(QL_MIDI REQUIRED alsa fluidsynth)
target_link_libraries(platform PRIVATE ${QL_MIDI_LINK_LIBRARIES})
# The GTK 3 backends of the window and user-interface layers (platform/gtk/).
pkg_check_modules(QL_GTK REQUIRED IMPORTED_TARGET gtk+-3.0 gtk+-unix-print-3.0)
target_link_libraries(platform PUBLIC PkgConfig::QL_GTK)
# Xlib itself: the I/O error handler that reports the loss of the display.
pkg_check_modules(QL_X11 REQUIRED IMPORTED_TARGET x11)
target_link_libraries(platform PRIVATE PkgConfig::QL_X11)

# interchange sits on the score model and the platform layer; export builds its
# events with the sequencer's performance builder and import transcribes through
# it; files are replaced through the native files' atomic save.
ql_depends(interchange core platform shell sequencer files layout notes objects display)

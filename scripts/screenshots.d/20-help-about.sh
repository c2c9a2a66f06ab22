# The help window (each document) and the About dialog, rendered offscreen.
cmake --build "$KORTVIK_ROOT/build" --target kortvik-screenshots >/dev/null
QT_QPA_PLATFORM=offscreen "$bin/kortvik-screenshots" "$out" | sed 's/^/  /'

#pragma once
#include <QString>

// Where the built program files are: KORTVIK_BIN_DIR (set by ctest), or the
// build's bin folder when a test binary is run by hand.
inline QString binDir()
{
    const QString dir = qEnvironmentVariable("KORTVIK_BIN_DIR");
    return dir.isEmpty() ? QStringLiteral(LJUNGBO_TEST_BIN_DIR) : dir;
}

inline QString ljungboLibrary()
{
    return binDir() + QStringLiteral("/libljungbo.so");
}

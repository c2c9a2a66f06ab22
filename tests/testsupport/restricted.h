#pragma once
#include <QString>

#include <functional>

// Permission tests need a user that file modes apply to. When the tests run
// as root (containers, CI), the body runs in a forked child that has dropped
// to the "nobody" user; otherwise it runs right here. The body returns ""
// on success or a description of what went wrong; it must not use QTest
// macros, since it may run in another process.
namespace restricted {

QString run(const std::function<QString()> &body);
// Makes path usable by the restricted user (folders 0777, files 0666) when
// running as root, so that only the modes a test sets on purpose matter.
void openUp(const QString &path);
// Mode bits of path, or -1.
int modeOf(const QString &path);

} // namespace restricted

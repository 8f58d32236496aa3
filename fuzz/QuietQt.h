#pragma once

#include <QtGlobal>

// Drops Qt's log output: a backend's warnings for every fuzzed failure would
// cost more time than the code under test.
inline void silenceQtMessages()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

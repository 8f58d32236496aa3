#include "Console.h"

#include <unistd.h>

#include <cstdio>

namespace varnex::cli {

namespace {

// Cells of the bar between its brackets.
constexpr int BarWidth = 32;
// The label column, wide enough for "Reading" and "Writing".
constexpr int LabelWidth = 8;

void writeError(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

Console::Console(bool showProgress) : m_showProgress(showProgress) {}

bool Console::standardErrorIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

void Console::message(const QString &text)
{
    eraseProgress();
    writeError("varnex-edid: " + text.toLocal8Bit() + '\n');
    // A transfer still running gets its bar back below the message.
    if (m_total > 0)
        drawProgress();
}

void Console::startProgress(const QString &label, int total)
{
    m_label = label;
    m_done = 0;
    m_total = total;
    m_elapsed.start();
    drawProgress();
}

void Console::setProgress(int done)
{
    if (m_total <= 0)
        return;
    m_done = qBound(0, done, m_total);
    drawProgress();
}

void Console::endProgress(bool complete)
{
    if (m_total <= 0)
        return;
    if (complete && m_showProgress) {
        m_done = m_total;
        drawProgress();
        writeError("\n");
        m_drawn = false;
    } else {
        eraseProgress();
    }
    m_total = 0;
}

void Console::drawProgress()
{
    if (!m_showProgress || m_total <= 0)
        return;
    const int filled = m_done * BarWidth / m_total;
    const QString line =
        QStringLiteral("\r%1 [%2%3] %4/%5 frames  %6 s")
            .arg(m_label.leftJustified(LabelWidth))
            .arg(QString(filled, QLatin1Char('#')), QString(BarWidth - filled, QLatin1Char('-')))
            .arg(m_done, 2)
            .arg(m_total)
            .arg(double(m_elapsed.elapsed()) / 1000.0, 0, 'f', 1);
    writeError(line.toLocal8Bit());
    m_drawn = true;
}

void Console::eraseProgress()
{
    if (!m_drawn)
        return;
    // Back to the start of the line and clear it (ANSI "erase in line").
    writeError("\r\033[K");
    m_drawn = false;
}

} // namespace varnex::cli

#pragma once

#include <QElapsedTimer>
#include <QString>

namespace varnex::cli {

// Standard error of the program: messages, and a progress bar drawn in place
// on one line. Messages go out at once and never mix with the bar.
class Console
{
public:
    // `showProgress`: draw the bar at all (standard error is a terminal and
    // the user did not ask for quiet).
    explicit Console(bool showProgress);

    // One line "varnex-edid: TEXT".
    void message(const QString &text);

    // A transfer of `total` frames begins; the bar shows `label`.
    void startProgress(const QString &label, int total);
    // `done` frames of the transfer are through.
    void setProgress(int done);
    // The transfer is over: a complete one leaves its full bar on its line,
    // any other takes the bar away.
    void endProgress(bool complete);

    // True when standard error is a terminal.
    static bool standardErrorIsTerminal();

private:
    void drawProgress();
    void eraseProgress();

    bool m_showProgress = false;
    bool m_drawn = false; // the bar is on the current line
    QString m_label;
    int m_done = 0;
    int m_total = 0;
    QElapsedTimer m_elapsed;
};

} // namespace varnex::cli

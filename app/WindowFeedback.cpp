#include "WindowFeedback.h"

#include "QtUserDialogs.h"

#include <QMainWindow>
#include <QStatusBar>

WindowFeedback::WindowFeedback(QMainWindow *window, UserDialogs *dialogs)
    : QObject(window), m_window(window), m_dialogs(dialogs)
{
}

WindowFeedback::~WindowFeedback() = default;

UserDialogs &WindowFeedback::dialogs()
{
    if (m_dialogs)
        return *m_dialogs;
    if (!m_ownDialogs)
        m_ownDialogs = std::make_unique<QtUserDialogs>();
    return *m_ownDialogs;
}

void WindowFeedback::warn(const QString &text, const QString &informativeText)
{
    dialogs().warning(m_window, tr("Varnex EDID Utility"), text, informativeText);
}

bool WindowFeedback::confirm(const QString &text, const QString &informativeText)
{
    return dialogs().confirmWarning(m_window, tr("Varnex EDID Utility"), text, informativeText);
}

void WindowFeedback::inform(const QString &text)
{
    dialogs().information(m_window, tr("Varnex EDID Utility"), text);
}

void WindowFeedback::showStatus(const QString &text, int ms)
{
    m_window->statusBar()->showMessage(text, ms);
}

#pragma once

#include <QObject>

#include <memory>

class QMainWindow;
class UserDialogs;

// The window's voice: its boxes and its status bar messages, in one style
// for every part. Boxes are parented to the window and titled "Varnex EDID
// Utility"; they go through the given dialogs, or the real Qt boxes when
// none were given.
class WindowFeedback : public QObject
{
    Q_OBJECT

public:
    // How long the confirmations stay in the status bar.
    static constexpr int StatusMessageMs = 2000;

    // `window` (the parent, so it outlives this) and `dialogs` are not owned;
    // `dialogs` may be null and must otherwise outlive this.
    WindowFeedback(QMainWindow *window, UserDialogs *dialogs);
    ~WindowFeedback() override;

    UserDialogs &dialogs();
    QMainWindow *window() const { return m_window; }

    void warn(const QString &text, const QString &informativeText = QString());
    // The question before data is lost: the warning style, Yes and No, default No.
    bool confirm(const QString &text, const QString &informativeText);
    void inform(const QString &text);
    void showStatus(const QString &text, int ms = StatusMessageMs);

private:
    QMainWindow *m_window;
    UserDialogs *m_dialogs;
    // The real boxes, made on first use when no dialogs were given.
    std::unique_ptr<UserDialogs> m_ownDialogs;
};

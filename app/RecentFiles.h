#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QMenu;
class WindowFeedback;

// File, Recent Files (menuRecentFiles): the last files loaded or saved,
// newest first, kept in QSettings under "recentFiles" so that they outlive
// the program. A file that is gone when chosen is told and dropped.
class RecentFiles : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxFiles = 8;

    // `open` loads a chosen file (after any question of its own); `menu` is
    // refilled each time it opens. `feedback` must outlive this.
    RecentFiles(QMenu *menu, WindowFeedback &feedback, std::function<bool(const QString &)> open,
                QObject *parent);

    // Puts `fileName` (made absolute) at the top, once, keeping MaxFiles.
    void add(const QString &fileName);
    // Newest first.
    QStringList files() const;
    // Opens a listed file through `open`; a missing one is told and dropped.
    bool open(const QString &fileName);

private:
    void fillMenu();
    static void store(const QStringList &files);

    QMenu *m_menu;
    WindowFeedback &m_feedback;
    std::function<bool(const QString &)> m_open;
};

#include "RecentFiles.h"

#include "WindowFeedback.h"

#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace {

const char SettingsKey[] = "recentFiles";

} // namespace

RecentFiles::RecentFiles(QMenu *menu, WindowFeedback &feedback,
                         std::function<bool(const QString &)> open, QObject *parent)
    : QObject(parent), m_menu(menu), m_feedback(feedback), m_open(std::move(open))
{
    connect(m_menu, &QMenu::aboutToShow, this, &RecentFiles::fillMenu);
    fillMenu();
}

QStringList RecentFiles::files() const
{
    return QSettings().value(QString::fromLatin1(SettingsKey)).toStringList().mid(0, MaxFiles);
}

void RecentFiles::store(const QStringList &files)
{
    QSettings().setValue(QString::fromLatin1(SettingsKey), files);
}

void RecentFiles::add(const QString &fileName)
{
    const QString path = QFileInfo(fileName).absoluteFilePath();
    QStringList list = files();
    list.removeAll(path);
    list.prepend(path);
    store(list.mid(0, MaxFiles));
}

bool RecentFiles::open(const QString &fileName)
{
    if (!QFileInfo::exists(fileName)) {
        QStringList list = files();
        list.removeAll(fileName);
        store(list);
        m_feedback.warn(tr("The file %1 no longer exists.").arg(fileName),
                        tr("It was removed from Recent Files."));
        return false;
    }
    return m_open(fileName);
}

void RecentFiles::fillMenu()
{
    m_menu->clear();
    const QStringList list = files();
    if (list.isEmpty()) {
        m_menu->addAction(tr("No recent files"))->setEnabled(false);
        return;
    }
    for (const QString &fileName : list) {
        // A file name may hold '&', which a menu takes for a mnemonic.
        QString title = fileName;
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        connect(m_menu->addAction(title), &QAction::triggered, this,
                [this, fileName] { open(fileName); });
    }
}

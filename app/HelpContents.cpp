#include "HelpContents.h"

#include <QAction>
#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QTextBrowser>

namespace {

// The guide as app.qrc carries it.
const char GuideResource[] = ":/guide/users-guide.md";
// A page wide and tall enough for the guide's tables without scrolling sideways.
constexpr int GuideWidth = 720;
constexpr int GuideHeight = 640;

} // namespace

HelpContents::HelpContents(QMainWindow *window, QMenu *helpMenu) : QObject(window), m_window(window)
{
    auto *action = new QAction(tr("Contents"), helpMenu);
    action->setObjectName(QStringLiteral("actionHelpContents"));
    action->setShortcut(QKeySequence(Qt::Key_F1));
    helpMenu->insertAction(helpMenu->actions().value(0), action);
    connect(action, &QAction::triggered, this, &HelpContents::show);
}

QTextBrowser *HelpContents::view() const
{
    return m_view;
}

void HelpContents::show()
{
    if (!m_view) {
        m_view = new QTextBrowser(m_window);
        m_view->setWindowFlag(Qt::Window);
        m_view->setObjectName(QStringLiteral("guideWindow"));
        m_view->setWindowTitle(tr("Varnex EDID Utility Guide"));
        m_view->setOpenExternalLinks(true);
        m_view->resize(GuideWidth, GuideHeight);
        QFile guide(QString::fromLatin1(GuideResource));
        if (guide.open(QIODevice::ReadOnly))
            m_view->setMarkdown(QString::fromUtf8(guide.readAll()));
        else
            m_view->setPlainText(tr("The guide is missing from this build."));
    }
    m_view->show();
    m_view->raise();
    m_view->activateWindow();
}

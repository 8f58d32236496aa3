#include "SplitterMenu.h"

#include "DeviceActions.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

SplitterMenu::SplitterMenu(DeviceActions &device)
    : QObject(&device), m_device(device), m_menu(new QMenu(tr("Splitter"), device.menu())),
      m_group(new QActionGroup(this))
{
    m_menu->setObjectName(QStringLiteral("menuSplitter"));
    QMenu *deviceMenu = device.menu();
    deviceMenu->insertMenu(deviceMenu->actions().value(0), m_menu);
    deviceMenu->insertSeparator(deviceMenu->actions().value(1));
    // Listed when the menu opens, not at start-up: no bridge traffic before the user asks.
    connect(deviceMenu, &QMenu::aboutToShow, this, &SplitterMenu::refresh);
    m_menu->menuAction()->setVisible(false);
    deviceMenu->actions().at(1)->setVisible(false);
}

void SplitterMenu::refresh()
{
    const QList<QByteArray> links = m_device.attachedVarnexes();
    m_menu->clear();
    for (QAction *action : m_group->actions())
        m_group->removeAction(action);
    for (const QByteArray &link : links) {
        QAction *action = m_menu->addAction(QString::fromUtf8(link));
        action->setCheckable(true);
        action->setData(link);
        m_group->addAction(action);
        connect(action, &QAction::triggered, this, [this, link] {
            if (link != m_current)
                emit splitterChosen(link);
            setCurrent(m_current);
        });
    }
    setCurrent(m_current);
    const bool several = links.size() > 1;
    m_menu->menuAction()->setVisible(several);
    // The separator below it shows and hides with it.
    const QList<QAction *> actions = m_device.menu()->actions();
    const qsizetype at = actions.indexOf(m_menu->menuAction());
    if (at >= 0 && at + 1 < actions.size() && actions.at(at + 1)->isSeparator())
        actions.at(at + 1)->setVisible(several);
}

void SplitterMenu::setCurrent(const QByteArray &linkName)
{
    m_current = linkName;
    const QList<QAction *> actions = m_group->actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        // The first Varnex stands for "no choice made".
        const bool chosen =
            linkName.isEmpty() ? i == 0 : actions.at(i)->data().toByteArray() == linkName;
        actions.at(i)->setChecked(chosen);
    }
}

#pragma once

#include <QObject>

class DeviceActions;
class QActionGroup;
class QMenu;

// Device, Splitter (menuSplitter): when more than one Varnex is attached, one
// entry per Varnex by its link string, the one the window works with checked.
// The list is taken afresh whenever the Device menu opens; with one Varnex or
// none the submenu is hidden.
class SplitterMenu : public QObject
{
    Q_OBJECT

public:
    // Goes into `device`'s menu (not owned; must outlive this), the parent.
    explicit SplitterMenu(DeviceActions &device);

    // Lists the Varnexes attached now.
    void refresh();
    // The link string the window works with; empty for the first Varnex.
    QByteArray current() const { return m_current; }
    // Checks the entry of the Varnex the window works with.
    void setCurrent(const QByteArray &linkName);

signals:
    // The user chose another Varnex; the window decides whether to switch.
    void splitterChosen(const QByteArray &linkName);

private:
    DeviceActions &m_device;
    QMenu *m_menu;
    QActionGroup *m_group;
    QByteArray m_current;
};

#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QMainWindow;
class QMenu;
class QTextBrowser;

// Help, Contents (F1): the user's guide, a Markdown text carried as a
// resource, in a window of its own beside the main window. One guide window
// at most; asking again brings it to the front.
class HelpContents : public QObject
{
    Q_OBJECT

public:
    // The action goes first into `helpMenu`; `window` (the parent) owns the
    // guide window, so it closes with it.
    HelpContents(QMainWindow *window, QMenu *helpMenu);

    // Opens the guide or brings it to the front.
    void show();
    // The guide's view once shown, or null.
    QTextBrowser *view() const;

private:
    QMainWindow *m_window;
    QPointer<QTextBrowser> m_view;
};

#pragma once

#include "UserDialogs.h"

#include <QList>
#include <QPointer>
#include <QQueue>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

// Records every dialog the window asks for and answers from scripted queues.
// Unscripted questions are answered No (the safe answer, and the default of a
// confirmation), unscripted file dialogs are cancelled.
class FakeUserDialogs final : public UserDialogs
{
public:
    enum class Kind
    {
        Warning,
        Information,
        About,
        Question,
        ConfirmWarning,
        OpenFile,
        SaveFile,
        Report,
        Text,
        Shape,
        OpenUrl
    };

    struct Call
    {
        Kind kind;
        QPointer<QWidget> parent;
        bool hadParent = false;
        QString title;     // window title, or the caption of a file dialog
        QString text;      // main text; for file dialogs the start directory or proposed name
        QString detail;    // informative text of a box; filter of a file dialog; a report;
                           // for a text input the initial text and the suggestions, one a line;
                           // for the Shape dialog its modes, one a line
        int maxLength = 0; // of a text input
    };

    QList<Call> calls;
    QQueue<bool> questionAnswers; // askYesNo
    QQueue<bool> confirmAnswers;  // confirmWarning
    QQueue<QString> fileNames;
    QQueue<std::optional<QString>> textAnswers; // askText; nothing = cancelled
    // askShape; nothing (or none left) = cancelled.
    QQueue<std::optional<varnex::edid::ShapeRequest>> shapeAnswers;
    // Runs at each call, after it was recorded (e.g. to inspect the window meanwhile).
    std::function<void(const Call &)> onCall;

    void warning(QWidget *parent, const QString &title, const QString &text,
                 const QString &informativeText) override
    {
        record({Kind::Warning, parent, parent != nullptr, title, text, informativeText});
    }
    void information(QWidget *parent, const QString &title, const QString &text) override
    {
        record({Kind::Information, parent, parent != nullptr, title, text, {}});
    }
    void about(QWidget *parent, const QString &title, const QString &text) override
    {
        record({Kind::About, parent, parent != nullptr, title, text, {}});
    }
    bool askYesNo(const QString &windowTitle, const QString &text,
                  const QString &informativeText) override
    {
        record({Kind::Question, nullptr, false, windowTitle, text, informativeText});
        return questionAnswers.isEmpty() ? false : questionAnswers.dequeue();
    }
    bool confirmWarning(QWidget *parent, const QString &title, const QString &text,
                        const QString &informativeText) override
    {
        record({Kind::ConfirmWarning, parent, parent != nullptr, title, text, informativeText});
        return confirmAnswers.isEmpty() ? false : confirmAnswers.dequeue();
    }
    QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter) override
    {
        record({Kind::OpenFile, parent, parent != nullptr, caption, dir, filter});
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
    QString getSaveFileName(QWidget *parent, const QString &caption, const QString &proposedName,
                            const QString &filter) override
    {
        record({Kind::SaveFile, parent, parent != nullptr, caption, proposedName, filter});
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }

    void showReport(QWidget *parent, const QString &title, const QString &text,
                    const QString &report) override
    {
        record({Kind::Report, parent, parent != nullptr, title, text, report});
    }

    // An answer longer than maxLength is cut there, as the line edit stops the typing.
    std::optional<QString> askText(QWidget *parent, const QString &title, const QString &label,
                                   const QString &initial, const QStringList &suggestions,
                                   int maxLength = 0) override
    {
        record({Kind::Text, parent, parent != nullptr, title, label,
                initial + QLatin1Char('\n') + suggestions.join(QLatin1Char('\n')), maxLength});
        std::optional<QString> answer =
            textAnswers.isEmpty() ? std::nullopt : textAnswers.dequeue();
        if (answer && maxLength > 0)
            answer->truncate(maxLength);
        return answer;
    }

    std::optional<varnex::edid::ShapeRequest>
    askShape(QWidget *parent, const QList<varnex::edid::CapabilityMode> &modes) override
    {
        QStringList lines;
        for (const varnex::edid::CapabilityMode &m : modes)
            lines << varnex::edid::modeText(m) + QStringLiteral(" (") +
                         m.sources.join(QStringLiteral(", ")) + QLatin1Char(')');
        record({Kind::Shape, parent, parent != nullptr, {}, {}, lines.join(QLatin1Char('\n'))});
        return shapeAnswers.isEmpty() ? std::nullopt : shapeAnswers.dequeue();
    }

    bool openUrl(const QUrl &url) override
    {
        record({Kind::OpenUrl, nullptr, false, {}, url.toString(), {}});
        return true;
    }

    int count(Kind kind) const
    {
        int n = 0;
        for (const Call &call : calls)
            n += call.kind == kind ? 1 : 0;
        return n;
    }

private:
    void record(const Call &call)
    {
        calls.append(call);
        if (onCall)
            onCall(calls.last());
    }
};

#include "ComposeDialog.h"

#include "DisplayEdids.h"
#include "EdidFile.h"
#include "HexText.h"
#include "UserDialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace varnex::edid;

namespace {

// Each list item keeps its table.
constexpr int TableRole = Qt::UserRole;

QByteArray bytesOf(const EdidImage &image)
{
    return QByteArray(reinterpret_cast<const char *>(image.data()), qsizetype(image.size()));
}

// The table of a file or a display: raw, imported, or our hex text (its
// missing bytes 0). Nothing when the bytes hold no table.
std::optional<EdidImage> tableOf(const QByteArray &data)
{
    const EdidFileContents contents = interpretEdidFile(data);
    if (contents.kind != EdidFileKind::HexText)
        return contents.image;
    EdidImage image{};
    if (parseHexText(contents.text, image) < EdidBlockSize)
        return std::nullopt;
    return image;
}

QListWidgetItem *addItem(QListWidget *list, const QString &name, const EdidImage &image,
                         Qt::CheckState state)
{
    auto *item = new QListWidgetItem(name, list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(state);
    item->setData(TableRole, bytesOf(image));
    return item;
}

} // namespace

ComposeDialog::ComposeDialog(QWidget *parent, UserDialogs &dialogs, SplitterReader readSplitter)
    : QDialog(parent), m_dialogs(dialogs), m_readSplitter(std::move(readSplitter)),
      m_inputs(new QListWidget(this)),
      m_splitter(new QCheckBox(tr("Include the splitter's current table"), this)),
      m_report(new QPlainTextEdit(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setObjectName(QStringLiteral("composeDialog"));
    setWindowTitle(tr("New from Several Displays"));
    m_inputs->setObjectName(QStringLiteral("composeInputs"));
    m_splitter->setObjectName(QStringLiteral("composeSplitter"));
    m_report->setObjectName(QStringLiteral("composeReport"));
    m_report->setReadOnly(true);
    m_report->setPlaceholderText(tr("What each display lost, and why, appears here."));
    auto *addFiles = new QPushButton(tr("Add Files..."), this);
    addFiles->setObjectName(QStringLiteral("composeAddFiles"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("One table that every checked display accepts:"), this));
    layout->addWidget(m_inputs);
    layout->addWidget(addFiles);
    layout->addWidget(m_splitter);
    layout->addWidget(m_report);
    layout->addWidget(m_buttons);

    // The same listing as Load from Display, unchecked: the user picks.
    for (const DisplayEdid &display : listDisplayEdids(drmDirectory(), decodedProductName)) {
        if (const std::optional<EdidImage> table = tableOf(display.edid))
            addItem(m_inputs, display.title(), *table, Qt::Unchecked);
    }
    connect(addFiles, &QPushButton::clicked, this, &ComposeDialog::askForFiles);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &ComposeDialog::compose);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool ComposeDialog::addFile(const QString &fileName)
{
    QString error;
    const std::optional<QByteArray> data = readEdidFile(fileName, &error);
    const std::optional<EdidImage> table = data ? tableOf(*data) : std::nullopt;
    if (!table) {
        m_report->setPlainText(data ? tr("%1 holds no EDID table.").arg(fileName)
                                    : tr("Cannot read file %1:\n%2.").arg(fileName, error));
        return false;
    }
    addItem(m_inputs, QFileInfo(fileName).fileName(), *table, Qt::Checked);
    return true;
}

void ComposeDialog::askForFiles()
{
    const QString fileName = m_dialogs.getOpenFileName(this, tr("Add a display's table"), QString(),
                                                       tr("All files (*)"));
    if (!fileName.isEmpty())
        addFile(fileName);
}

void ComposeDialog::compose()
{
    // After a table was composed, OK closes the dialog over its report.
    if (m_result.ok()) {
        accept();
        return;
    }
    QList<ComposeInput> inputs;
    for (int row = 0; row < m_inputs->count(); ++row) {
        const QListWidgetItem *item = m_inputs->item(row);
        if (item->checkState() != Qt::Checked)
            continue;
        ComposeInput input{item->text(), {}};
        const QByteArray bytes = item->data(TableRole).toByteArray();
        std::copy_n(bytes.constData(), std::min<qsizetype>(bytes.size(), input.image.size()),
                    input.image.begin());
        inputs << input;
    }
    if (m_splitter->isChecked()) {
        const std::optional<EdidImage> table = m_readSplitter ? m_readSplitter() : std::nullopt;
        if (!table) {
            m_report->setPlainText(tr("The splitter's table could not be read."));
            return;
        }
        inputs << ComposeInput{tr("the splitter"), *table};
    }
    if (inputs.size() < 2) {
        m_report->setPlainText(tr("Check at least two displays or tables."));
        return;
    }
    m_result = composeTables(inputs);
    if (!m_result.ok()) {
        m_report->setPlainText((QStringList{m_result.error} + m_result.report).join(u'\n'));
        return;
    }
    m_report->setPlainText(m_result.report.isEmpty() ? tr("Nothing was dropped.")
                                                     : m_result.report.join(u'\n'));
    m_buttons->button(QDialogButtonBox::Ok)->setText(tr("Close"));
    m_buttons->button(QDialogButtonBox::Cancel)->setEnabled(false);
    emit composed(*m_result.image);
}

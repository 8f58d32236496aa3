#include "ShapeDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace varnex::edid;

namespace {

// The audio choices after "keep": LPCM with this many channels.
constexpr int AudioChannels[] = {2, 6, 8};

} // namespace

ShapeDialog::ShapeDialog(const QList<CapabilityMode> &modes, QWidget *parent)
    : QDialog(parent), m_modes(modes)
{
    setWindowTitle(tr("Shape"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Modes the source may send (the first checked one is "
                                    "preferred):"),
                                 this));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("shapeModes"));
    for (const CapabilityMode &mode : modes) {
        auto *item = new QListWidgetItem(
            QStringLiteral("%1  (%2)").arg(modeText(mode), mode.sources.join(QStringLiteral(", "))),
            m_list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    layout->addWidget(m_list);
    const auto check = [this, layout](const QString &name, const QString &text) {
        auto *box = new QCheckBox(text, this);
        box->setObjectName(name);
        layout->addWidget(box);
        return box;
    };
    m_rgbOnly = check(QStringLiteral("shapeRgbOnly"), tr("RGB only"));
    m_noHdr = check(QStringLiteral("shapeNoHdr"), tr("No HDR"));
    m_noAudio = check(QStringLiteral("shapeNoAudio"), tr("No audio"));
    m_noDeepColor = check(QStringLiteral("shapeNoDeepColor"), tr("No deep colour"));
    auto *form = new QFormLayout;
    m_audio = new QComboBox(this);
    m_audio->setObjectName(QStringLiteral("shapeAudio"));
    m_audio->addItem(tr("Keep the table's"));
    for (int channels : AudioChannels)
        m_audio->addItem(tr("LPCM, %1 channels").arg(channels), channels);
    form->addRow(tr("Audio:"), m_audio);
    layout->addLayout(form);
    connect(m_noAudio, &QCheckBox::toggled, m_audio, &QWidget::setDisabled);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemChanged, this, &ShapeDialog::updateOk);
    layout->addWidget(buttons);
    updateOk();
}

void ShapeDialog::updateOk()
{
    bool any = false;
    for (int i = 0; i < m_list->count(); ++i)
        any = any || m_list->item(i)->checkState() == Qt::Checked;
    m_ok->setEnabled(any);
}

ShapeRequest ShapeDialog::request() const
{
    ShapeRequest request;
    QList<ModeRequest> kept;
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_list->item(i)->checkState() != Qt::Checked)
            continue;
        const CapabilityMode &m = m_modes.at(i);
        kept.append({m.width, m.height, m.refreshHz, m.interlaced});
    }
    if (kept.size() != m_list->count())
        request.modes = kept;
    request.rgbOnly = m_rgbOnly->isChecked();
    request.noHdr = m_noHdr->isChecked();
    request.noAudio = m_noAudio->isChecked();
    request.noDeepColor = m_noDeepColor->isChecked();
    if (const QVariant channels = m_audio->currentData(); channels.isValid() && !request.noAudio) {
        ShortAudioDescriptor lpcm;
        lpcm.channels = channels.toInt();
        request.audio = QList<ShortAudioDescriptor>{lpcm};
    }
    return request;
}

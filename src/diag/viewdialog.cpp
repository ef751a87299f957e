#include "diag/viewdialog.h"

#include "state/messagesink.h"
#include "state/platformerror.h"
#include "state/viewsettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Each language by its own name, so that whoever reads it finds theirs.
struct LanguageChoice {
    Language language;
    const char* name;
};
constexpr LanguageChoice kLanguages[] = {
    {Language::Danish, "Dansk"}, {Language::English, "English"}, {Language::German, "Deutsch"}};
} // namespace

ViewDialog::ViewDialog(SettingsStore& settings, MessageSink& messages, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_messages(messages) {
    setObjectName(QStringLiteral("viewDialog"));
    setWindowTitle(tr("Visning"));

    m_language = new QComboBox(this);
    m_language->setObjectName(QStringLiteral("viewLanguage"));
    const Language language = view_settings::language(settings);
    for (const LanguageChoice& l : kLanguages) {
        m_language->addItem(QString::fromUtf8(l.name), int(l.language));
        if (l.language == language)
            m_language->setCurrentIndex(m_language->count() - 1);
    }
    m_zoom = new QComboBox(this);
    m_zoom->setObjectName(QStringLiteral("viewZoom"));
    const int zoom = view_settings::zoom(settings);
    for (int percent : view_settings::zoomChoices()) {
        m_zoom->addItem(percent == view_settings::kFollowScreen
                            ? tr("følg skærmen")
                            : QStringLiteral("%1 %").arg(percent),
                        percent);
        if (percent == zoom)
            m_zoom->setCurrentIndex(m_zoom->count() - 1);
    }
    m_colourHelp = new QCheckBox(tr("&Farvehjælp"), this);
    m_colourHelp->setObjectName(QStringLiteral("viewColourHelp"));
    m_colourHelp->setToolTip(tr("Tegn på lamperne og i listen, så tilstanden ikke kun ses på "
                                "farven"));
    m_colourHelp->setChecked(view_settings::colourHelp(settings));

    auto* form = new QFormLayout;
    form->addRow(tr("&Sprog"), m_language);
    form->addRow(tr("&Zoom"), m_zoom);
    form->addRow(m_colourHelp);
    auto* note = new QLabel(tr("Sprog og zoom gælder fra næste start."), this);
    note->setObjectName(QStringLiteral("viewNote"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(tr("&Luk"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_language, &QComboBox::activated, this, [this] {
        const auto chosen = Language(m_language->currentData().toInt());
        store([this, chosen] { view_settings::setLanguage(m_settings, chosen); });
    });
    connect(m_zoom, &QComboBox::activated, this, [this] {
        const int percent = m_zoom->currentData().toInt();
        store([this, percent] { view_settings::setZoom(m_settings, percent); });
    });
    connect(m_colourHelp, &QCheckBox::toggled, this, [this](bool on) {
        store([this, on] { view_settings::setColourHelp(m_settings, on); });
        emit colourHelpChanged(on); // shown at once, even when it could not be kept
    });
}

template <typename Store> void ViewDialog::store(Store&& write) {
    try {
        write();
    } catch (const PlatformError& e) {
        m_messages.MsgBox(tr("Visningen kan ikke gemmes: %1").arg(e.message()));
    }
}

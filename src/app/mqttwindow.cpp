#include "app/mqttwindow.h"

#include "history/pathgate.h"
#include "state/messagesink.h"
#include "state/platformerror.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

MqttWindow::MqttWindow(SettingsStore& settings, MessageSink& messages, QWidget* parent)
    : QWidget(parent, Qt::Window), m_settings(settings), m_messages(messages),
      m_choose([this](const QString& caption) {
          return QFileDialog::getOpenFileName(this, caption, QString(),
                                              tr("Certifikater (*.pem *.crt);;Alle filer (*)"));
      }) {
    setWindowTitle(tr("MQTT"));
    setObjectName(QStringLiteral("mqttWindow"));
    m_url = new QLineEdit(this);
    m_url->setPlaceholderText(tr("mqtt://[bruger@]vært[:port][/præfiks]"));
    m_reason = new QLabel(this);
    m_reason->setWordWrap(true);
    m_reason->setStyleSheet(QStringLiteral("color: #b00000"));
    m_reason->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for a reason of two lines, so the window keeps its shape when one shows.
    m_reason->setMinimumHeight(2 * m_reason->fontMetrics().lineSpacing());
    m_ca = new QLineEdit(this);
    m_ca->setPlaceholderText(tr("systemets"));
    m_chooseCa = new QPushButton(tr("Vælg…"), this);
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setPlaceholderText(tr("tom: S88_MQTT_PASSWORD"));
    m_password->setToolTip(tr("Gemmes i en fil for sig, som kun du kan læse, aldrig i "
                              "indstillingsfilen."));
    m_discovery = new QCheckBox(tr("Home Assistant-discovery"), this);
    m_commands = new QCheckBox(tr("Kommandoer (antal moduler over MQTT)"), this);
    m_on = new QCheckBox(tr("Til: send indgangene til brokeren"), this);
    m_state = new QLabel(this);
    m_state->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_trouble = new QLabel(this);
    m_trouble->setWordWrap(true);
    m_trouble->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_trouble->setStyleSheet(QStringLiteral("color: #606060"));
    m_apply = new QPushButton(tr("Anvend"), this);
    auto* close = new QPushButton(tr("Luk"), this);

    auto* ca = new QHBoxLayout;
    ca->addWidget(m_ca, 1);
    ca->addWidget(m_chooseCa);
    auto* form = new QFormLayout;
    form->addRow(tr("Broker:"), m_url);
    form->addRow(QString(), m_reason);
    form->addRow(tr("CA-fil (mqtts):"), ca);
    form->addRow(tr("Adgangskode:"), m_password);
    form->addRow(QString(), m_discovery);
    form->addRow(QString(), m_commands);
    form->addRow(QString(), m_on);
    form->addRow(tr("Tilstand:"), m_state);
    form->addRow(QString(), m_trouble);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_apply);
    buttons->addWidget(close);
    auto* all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addStretch(1);
    all->addLayout(buttons);
    resize(460, 0);

    connect(m_url, &QLineEdit::textChanged, this, &MqttWindow::showCheck);
    connect(m_ca, &QLineEdit::textChanged, this, &MqttWindow::showCheck);
    connect(m_on, &QCheckBox::toggled, this, &MqttWindow::showCheck);
    connect(m_chooseCa, &QPushButton::clicked, this, [this] {
        const QString path = m_choose(tr("CA-fil til mqtts"));
        if (!path.isEmpty())
            m_ca->setText(path);
    });
    connect(m_apply, &QPushButton::clicked, this, &MqttWindow::apply);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &MqttWindow::refreshState);
    load();
}

void MqttWindow::setState(std::function<QString()> state, std::function<QString()> trouble) {
    m_stateText = std::move(state);
    m_troubleText = std::move(trouble);
    refreshState();
}

void MqttWindow::load() {
    const mqtt_settings::Setting s = mqtt_settings::load(m_settings);
    m_url->setText(s.url);
    m_ca->setText(s.caFile);
    m_discovery->setChecked(s.discovery);
    m_commands->setChecked(s.commands);
    m_on->setChecked(s.on);
    m_storedPassword = mqtt_settings::storedPassword();
    m_password->setText(m_storedPassword);
    showCheck();
}

mqtt_settings::Setting MqttWindow::fields() const {
    mqtt_settings::Setting s;
    s.url = m_url->text().trimmed();
    s.caFile = m_ca->text().trimmed();
    s.discovery = m_discovery->isChecked();
    s.commands = m_commands->isChecked();
    s.on = m_on->isChecked();
    return s;
}

QString MqttWindow::check() const {
    const mqtt_settings::Setting s = fields();
    // Off and empty: nothing to check; otherwise the URL must be one.
    if (!s.on && s.url.isEmpty() && s.caFile.isEmpty())
        return {};
    if (s.url.size() > kMaxText)
        return tr("Adressen er for lang (højst %1 tegn)").arg(kMaxText);
    if (s.caFile.size() > kMaxText)
        return tr("CA-filens sti er for lang (højst %1 tegn)").arg(kMaxText);
    QString why;
    if (!MqttUrl::parse(s.url, &why))
        return tr("Adressen kan ikke bruges: %1").arg(why);
    if (!s.caFile.isEmpty()) {
        if (!pathgate::readable(s.caFile, nullptr))
            return tr("CA-filen %1 kan ikke læses").arg(s.caFile);
    }
    return {};
}

QString MqttWindow::reason() const {
    return m_reason->text();
}

void MqttWindow::showCheck() {
    m_reason->setText(check());
}

bool MqttWindow::apply() {
    showCheck();
    if (!m_reason->text().isEmpty())
        return false;
    const mqtt_settings::Setting s = fields();
    const QString secret = m_password->text();
    if (secret != m_storedPassword) {
        QString why;
        if (!mqtt_settings::savePassword(secret, &why)) {
            m_messages.MsgBox(tr("Adgangskoden kunne ikke gemmes: %1").arg(why));
            return false;
        }
        m_storedPassword = secret;
    }
    try {
        mqtt_settings::save(m_settings, s);
    } catch (const PlatformError& e) {
        // Used for this run all the same; the next start does not know it.
        m_messages.MsgBox(tr("MQTT-indstillingen kunne ikke gemmes: %1").arg(e.message()));
    }
    emit applied(s);
    refreshState();
    return true;
}

void MqttWindow::refreshState() {
    m_state->setText(m_stateText ? m_stateText() : QString());
    m_trouble->setText(m_troubleText ? m_troubleText() : QString());
    m_trouble->setVisible(!m_trouble->text().isEmpty());
}

QString MqttWindow::stateText() const {
    return m_state->text();
}

QString MqttWindow::troubleText() const {
    return m_trouble->text();
}

void MqttWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshState();
    m_tick.start();
}

void MqttWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_tick.stop();
}

// The window and the walk test window in Danish, English and German: every caption's width in
// its control's font, with the style's own margins, fits the control as laid out. A
// translation too long for its place fails here; the answer is a shorter translation.

#include "app/form1.h"
#include "diag/changefeed.h"
#include "diag/diagarea.h"
#include "diag/speaker.h"
#include "diag/walktest.h"
#include "diag/walktestwindow.h"
#include "launch/translations.h"
#include "support/formsupport.h"
#include "support/speakerdouble.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTextDocument>
#include <QtTest>

namespace {

struct Fit {
    QString control; // "Form1 Command5"
    QString text;
    int needed = 0;    // pixels the caption takes with the style's margins
    int available = 0; // pixels the control has
};

// The caption as drawn: a single & marks the mnemonic and takes no room.
QString shown(QString text) {
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    return text;
}

int widest(const QFontMetrics& fm, const QString& text) {
    int w = 0;
    for (const QString& line : text.split(u'\n'))
        w = qMax(w, fm.horizontalAdvance(line));
    return w;
}

// The room a control's caption has: its own width, less what a control drawn above it (a later
// sibling) covers on its right, and no further than its parent's edge.
int room(const QWidget* w) {
    int available = w->width();
    if (const QWidget* parent = w->parentWidget())
        available = qMin(available, parent->width() - w->x());
    const QObjectList& siblings = w->parentWidget() ? w->parentWidget()->children() : QObjectList();
    for (qsizetype i = siblings.indexOf(const_cast<QWidget*>(w)) + 1; i < siblings.size(); ++i) {
        const auto* s = qobject_cast<const QWidget*>(siblings[i]);
        if (!s || !s->isVisibleTo(w->window()))
            continue;
        const QRect g = s->geometry();
        const bool besideIt = g.top() < w->geometry().bottom() && g.bottom() > w->y();
        if (besideIt && g.left() > w->x() && g.left() < w->x() + available)
            available = g.left() - w->x();
    }
    return available;
}

// The fit of one control, or none for a control without a caption of its own.
std::optional<Fit> fitOf(QWidget* w) {
    const QFontMetrics fm = w->fontMetrics();
    QStyle* style = w->style();
    Fit f;
    if (auto* box = qobject_cast<QGroupBox*>(w)) {
        if (box->title().isEmpty())
            return std::nullopt;
        QStyleOptionGroupBox opt;
        opt.initFrom(box);
        opt.text = box->title();
        opt.lineWidth = 1;
        opt.textAlignment = box->alignment();
        opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect label =
            style->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
        f.text = box->title();
        f.needed = label.left() + widest(fm, shown(box->title())) + 2;
        f.available = box->width();
    } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        if (button->text().isEmpty())
            return std::nullopt;
        f.text = button->text();
        // Within the button's width: the window's own "Indsæt (s)" fills its button from
        // border to border, so the style's button margin is not asked for.
        f.needed = widest(fm, shown(button->text()));
        f.available = button->width();
    } else if (qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w)) {
        auto* button = static_cast<QAbstractButton*>(w);
        if (button->text().isEmpty())
            return std::nullopt;
        f.text = button->text();
        f.needed = button->sizeHint().width();
        f.available = button->width();
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text().isEmpty() || label->pixmap().isNull() == false)
            return std::nullopt;
        f.text = label->text();
        const int frame =
            2 * label->frameWidth() + 2 * qMax(label->margin(), 0) + qMax(label->indent(), 0);
        const QRect inside = label->contentsRect();
        if (Qt::mightBeRichText(label->text())) {
            QTextDocument doc;
            doc.setDefaultFont(label->font());
            doc.setDocumentMargin(0);
            doc.setHtml(label->text());
            f.text = doc.toPlainText();
        }
        if (label->wordWrap()) {
            // A wrapped caption takes the height its lines need at the label's width, and its
            // longest word fits on a line.
            int word = 0;
            for (const QString& w : shown(f.text).split(QRegularExpression(QStringLiteral("\\s+"))))
                word = qMax(word, fm.horizontalAdvance(w));
            if (word > inside.width()) {
                f.needed = word + frame;
                f.available = label->width();
                return f;
            }
            f.needed = label->heightForWidth(label->width());
            f.available = label->height();
            f.control = QStringLiteral("(height) ");
            return f;
        }
        f.needed = widest(fm, shown(f.text)) + frame;
        f.available = room(label);
    } else {
        return std::nullopt;
    }
    return f;
}

QString nameOf(const QWidget* w, const QWidget* window, int index) {
    QString name = w->objectName();
    if (name.isEmpty())
        name = QStringLiteral("%1#%2").arg(QLatin1String(w->metaObject()->className())).arg(index);
    return QStringLiteral("%1 %2").arg(window->objectName().isEmpty()
                                           ? QLatin1String(window->metaObject()->className())
                                           : window->objectName(),
                                       name);
}

void collect(QWidget* window, QList<Fit>& into) {
    int index = 0;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        ++index;
        if (!w->isVisibleTo(window))
            continue;
        if (std::optional<Fit> f = fitOf(w)) {
            f->control =
                nameOf(w, window, index) + (f->control.isEmpty() ? QString() : u' ' + f->control);
            into.append(*f);
        }
    }
}

// Counts sent, modules missing, one not counted, a short burst, stray bytes: the module check
// line long. Returns the line.
QLabel* inTrouble(ScriptedWindow& rig) {
    rig.c().Text1->setText(QStringLiteral("4"));
    rig.c().Text2->setText(QStringLiteral("3"));
    rig.c().Text3->setText(QStringLiteral("3"));
    rig.start();
    rig.c().Command1->click();
    const QByteArray complete = bytes({105, 2, 1, 0, 0, 12, 0, 0});
    rig.serial.deliver(complete + bytes({105, 3, 1, 0, 1}) + complete + complete +
                       bytes({7, 9, 200}) + complete + complete);
    rig.form.diagnostics().tick();
    rig.form.frameGate().frame();
    return rig.form.findChild<QLabel*>(QStringLiteral("diagModuleCheck"));
}

// Every captioned control of both windows, made in `language`.
QList<Fit> fitsIn(Language language) {
    translations::install(*QCoreApplication::instance(), language);
    QList<Fit> fits;
    {
        ScriptedWindow rig;
        collect(&rig.form, fits);
    }
    {
        // The module check line long, as a layout with trouble makes it: counted modules
        // missing, one not counted, a short burst, stray bytes. Cut, it ends at a whole part.
        ScriptedWindow rig;
        QLabel* line = inTrouble(rig);
        if (std::optional<Fit> f = fitOf(line)) {
            f->control = QStringLiteral("Form1 diagModuleCheck (in trouble)");
            fits.append(*f);
        }
    }
    {
        ChangeFeed feed;
        SpeakerDouble speaker;
        CapturedMessages messages;
        WalkTestWindow window(feed, speaker, messages);
        window.show();
        collect(&window, fits);
    }
    translations::install(*QCoreApplication::instance(), Language::Danish);
    return fits;
}

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT

private slots:
    void captionFits_data();
    void captionFits();
    void windowSpeaks_data();
    void windowSpeaks();
    void tableCoversEveryLanguage();
    void cutLineWholeInTooltip();
    void readAloud_data();
    void readAloud();
    void walkTestReport_data();
    void walkTestReport();
};

void TestTranslations::captionFits_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("needed");
    QTest::addColumn<int>("available");
    for (const Language l : {Language::Danish, Language::English, Language::German}) {
        for (const Fit& f : fitsIn(l)) {
            QTest::addRow("%s %s", qPrintable(language::code(l)), qPrintable(f.control))
                << f.text << f.needed << f.available;
        }
    }
}

void TestTranslations::captionFits() {
    QFETCH(QString, text);
    QFETCH(int, needed);
    QFETCH(int, available);
    QVERIFY2(
        needed <= available,
        qPrintable(
            QStringLiteral("\"%1\" needs %2 px, has %3").arg(text).arg(needed).arg(available)));
}

// The windows are in the language asked for: a few captions of each, as translated.
void TestTranslations::windowSpeaks_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("quit");
    QTest::addColumn<QString>("send");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("skip");
    QTest::newRow("da") << int(Language::Danish) << "Afslut"
                        << "Indsæt (s)"
                        << "Test af VornS88 indgangsmodul"
                        << "Spring over (Mellemrum)";
    QTest::newRow("en") << int(Language::English) << "Exit"
                        << "Send (s)"
                        << "Test of VornS88 input module"
                        << "Skip (Space)";
    QTest::newRow("de") << int(Language::German) << "Ende"
                        << "Sende (s)"
                        << "Test des VornS88-Rückmeldemoduls"
                        << "Weiter (Leertaste)";
}

void TestTranslations::windowSpeaks() {
    QFETCH(int, language);
    QFETCH(QString, quit);
    QFETCH(QString, send);
    QFETCH(QString, title);
    QFETCH(QString, skip);
    translations::install(*QCoreApplication::instance(), Language(language));
    QCOMPARE(language::current(), Language(language));
    {
        ScriptedWindow rig;
        QCOMPARE(shown(rig.c().Command5->text()), quit);
        QCOMPARE(shown(rig.c().Command1->text()), send);
        QCOMPARE(rig.form.windowTitle(), title);
        ChangeFeed feed;
        SpeakerDouble speaker;
        CapturedMessages messages;
        WalkTestWindow window(feed, speaker, messages);
        QCOMPARE(shown(window.skipButton()->text()), skip);
    }
    translations::install(*QCoreApplication::instance(), Language::Danish);
}

// The module check line cut short ends at a whole part, and its tooltip begins with all of it.
void TestTranslations::cutLineWholeInTooltip() {
    ScriptedWindow rig;
    QLabel* line = inTrouble(rig);
    const QString whole = rig.form.diagnostics().checkLineText();
    QTextDocument doc;
    doc.setHtml(line->text());
    const QString visible = doc.toPlainText();
    QVERIFY2(visible.endsWith(QStringLiteral(" · …")), qPrintable(visible));
    QVERIFY2(whole.startsWith(visible.chopped(1)), qPrintable(visible + u'\n' + whole));
    QVERIFY2(line->toolTip().startsWith(whole + QStringLiteral("\n\n")),
             qPrintable(line->toolTip()));
}

// The fit table holds the same controls in every language, and not a handful.
void TestTranslations::tableCoversEveryLanguage() {
    QStringList controls[3];
    int i = 0;
    for (const Language l : {Language::Danish, Language::English, Language::German}) {
        for (const Fit& f : fitsIn(l))
            controls[i].append(f.control);
        ++i;
    }
    QCOMPARE(controls[1], controls[0]);
    QCOMPARE(controls[2], controls[0]);
    QVERIFY2(controls[0].size() >= 30, qPrintable(QString::number(controls[0].size())));
}

// A change read aloud: the number in words and the state in the window's language.
void TestTranslations::readAloud_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("input");
    QTest::addColumn<bool>("active");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("said");
    const int da = int(Language::Danish);
    const int en = int(Language::English);
    const int de = int(Language::German);
    QTest::newRow("da 73 active") << da << 73 << true << ""
                                  << "treoghalvfjerds aktiv";
    QTest::newRow("da 1 inactive") << da << 1 << false << ""
                                   << "en inaktiv";
    QTest::newRow("en 73 active") << en << 73 << true << ""
                                  << "seventy-three active";
    QTest::newRow("en 160 inactive, named") << en << 160 << false << "Signal 4"
                                            << "one hundred and sixty, Signal 4, inactive";
    QTest::newRow("de 73 active") << de << 73 << true << ""
                                  << "dreiundsiebzig aktiv";
    QTest::newRow("de 1 inactive, named") << de << 1 << false << "Weiche 2"
                                          << "eins, Weiche 2, inaktiv";
}

void TestTranslations::readAloud() {
    QFETCH(int, language);
    QFETCH(int, input);
    QFETCH(bool, active);
    QFETCH(QString, name);
    translations::install(*QCoreApplication::instance(), Language(language));
    const QString said = changeText(input, active, name);
    translations::install(*QCoreApplication::instance(), Language::Danish);
    QTEST(said, "said");
}

// The walk test report a person reads is in the window's language; its CSV is not.
void TestTranslations::walkTestReport_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("wrong");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("da") << int(Language::Danish) << "5.2 og 5.3 er byttet om; 5.4 sidder fast"
                        << "forkert: kom som 5.3 (indgang 67)"
                        << "Modul 5, kontakt 1 (indgang 65): OK\n";
    QTest::newRow("en") << int(Language::English) << "5.2 and 5.3 are swapped; 5.4 is stuck"
                        << "wrong: came as 5.3 (input 67)"
                        << "Module 5, contact 1 (input 65): OK\n";
    QTest::newRow("de") << int(Language::German) << "5.2 und 5.3 sind vertauscht; 5.4 hängt fest"
                        << "falsch: kam als 5.3 (Eingang 67)"
                        << "Modul 5, Kontakt 1 (Eingang 65): OK\n";
}

void TestTranslations::walkTestReport() {
    QFETCH(int, language);
    using O = WalkTest::Outcome;
    const QList<WalkTest::Result> results{{5, 1, O::Ok, 0},
                                          {5, 2, O::WrongInput, 67},
                                          {5, 3, O::WrongInput, 66},
                                          {5, 4, O::Stuck, 0}};
    translations::install(*QCoreApplication::instance(), Language(language));
    const QString summary = reportSummary(results);
    const QString wrong = outcomeText(results[1]);
    const QString text = reportText(results);
    const QString csv = reportCsv(results);
    translations::install(*QCoreApplication::instance(), Language::Danish);
    QTEST(summary, "summary");
    QTEST(wrong, "wrong");
    QFETCH(QString, firstLine);
    QVERIFY2(text.contains(firstLine), qPrintable(text));
    QVERIFY2(csv.startsWith(QStringLiteral("module,contact,input,result,other_input\n")),
             qPrintable(csv));
}

QTEST_MAIN(TestTranslations)
#include "test_translations.moc"

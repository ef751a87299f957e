// The window as laid out: every control's name, caption, place, font and colours, the keyboard
// order, and what the rendered window shows at the lamps and the link indicator.

#include "app/form1.h"
#include "diag/diagarea.h"
#include "diag/nameswindow.h"
#include "diag/timelinewindow.h"
#include "diag/viewdialog.h"
#include "panel/lamp.h"
#include "panel/monitorview.h"
#include "panel/shape.h"
#include "support/formsupport.h"
#include "support/ptypair.h"
#include "support/testsupport.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

// Positions are given in twips; the window is laid out at 15 twips to the pixel.
int px(int twips) {
    return qRound(twips / 15.0);
}

QRect pxRect(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

// Card frame k (1..20) in the window, in twips.
QPoint cardTopLeft(int k) {
    return {120 + 3120 * ((k - 1) % 4), 840 + 960 * ((k - 1) / 4)};
}

// The frame names of the cards "Kort 1".."Kort 20", in caption order.
const std::array<const char*, 20> kCardFrames{
    "Frame1", "Frame11", "Frame13", "Frame14", "Frame3",  "Frame12", "Frame2",
    "Frame4", "Frame5",  "Frame18", "Frame6",  "Frame19", "Frame7",  "Frame20",
    "Frame8", "Frame21", "Frame9",  "Frame22", "Frame10", "Frame23"};

// Lamp n's top-left corner in the window, in pixels.
QPoint lampInWindow(int n) {
    const QPoint card = cardTopLeft((n - 1) / 8 + 1);
    return {px(card.x()) + px(120 + 360 * ((n - 1) % 8)), px(card.y()) + px(240)};
}

QString caption(const QWidget* w) {
    if (const auto* box = qobject_cast<const QGroupBox*>(w))
        return box->title();
    return w->property("text").toString();
}

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kGrey(192, 192, 192);

// The window as the program creates it, before it is loaded and shown.
const RigSetup kAsCreated{.load = false, .show = false};

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    void captions_data();
    void captions();
    void geometry_data();
    void geometry();
    void cards_data();
    void cards();
    void lampsSitInTheirCards();
    void windowTitleAndFixedSize();
    void initialContents_data();
    void initialContents();
    void tabOrder_data();
    void tabOrder();
    void keysClickTheirButtons_data();
    void keysClickTheirButtons();
    void enterInCountBoxSendsCounts_data();
    void enterInCountBoxSendsCounts();
    void colourHelpMarksActiveLamps_data();
    void colourHelpMarksActiveLamps();
    void unstableLampWearsSign_data();
    void otherWindowsKeys_data();
    void otherWindowsKeys();
    void unstableLampWearsSign();
    void focusOnStartWhenShown();
    void fonts_data();
    void fonts();
    void colours();
    void lampPictures_data();
    void lampPictures();
    void renderedLampsAndIndicatorAfterStartUp();
    void renderedLampFollowsItsInput();
    void newLastInputRepaintsItsBoxAlone();
};

void TestWindow::captions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("expected");

    struct Row {
        const char* row;
        const char* name;
        const char* container;
        const char* caption;
    };
    const Row rows[]{
        {"port frame", "Frame24", "Form1", "Init port"},
        {"start button", "Command3", "Frame24", "Start"},
        {"stop button", "Command4", "Frame24", "Stop"},
        {"quit button", "Command5", "Frame24", "Afslut"},
        {"port label", "Label3_1", "Frame24", "Com port 1-8"},
        {"port numbers", "Label3_0", "Frame24", "1   2   3   4   5   6   7   8"},
        {"count frame", "Frame25", "Form1", "Modulantal"},
        {"chain names", "Label14", "Frame25", "Left      Mid    Right"},
        {"send counts button", "Command1", "Frame25", "Indsæt (s)"},
        {"last input frame", "Frame26", "Form1", "Seneste aktive indgang"},
        {"title label", "Label6", "Form1", "Test af Vorn S88(USB)"},
        {"monitor label", "Label15", "Form1", "Monitor"},
        {"indicator", "Shape1", "Frame24", ""},
        {"left count box", "Text1", "Frame25", ""},
        {"mid count box", "Text2", "Frame25", "0"},
        {"right count box", "Text3", "Frame25", "0"},
        {"last input box", "Text5", "Frame26", ""},
        {"monitor box", "Text4", "Form1", ""},
    };
    for (const Row& r : rows) {
        QTest::newRow(r.row) << QString::fromUtf8(r.name) << QString::fromUtf8(r.container)
                             << QString::fromUtf8(r.caption);
    }
    for (int i = 0; i < 8; ++i) {
        const QByteArray row = "port option " + QByteArray::number(i);
        QTest::newRow(row.constData())
            << QStringLiteral("Option1_%1").arg(i) << "Frame24" << QString();
    }
}

void TestWindow::captions() {
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QString, expected);

    ScriptedWindow w(kAsCreated);
    const auto* control = w.form.findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->parentWidget()->objectName(), container);
    if (!qobject_cast<const MonitorView*>(control))
        QCOMPARE(caption(control), expected);
    else
        QCOMPARE(static_cast<const MonitorView*>(control)->toPlainText(), expected);
}

void TestWindow::geometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    // Labels may be widened to fit their caption in the fallback font, never narrowed.
    QTest::addColumn<bool>("mayWiden");

    QTest::newRow("port frame") << "Frame24" << QRect(120, 0, 4215, 855) << false;
    QTest::newRow("indicator") << "Shape1" << QRect(120, 240, 1215, 135) << false;
    QTest::newRow("start") << "Command3" << QRect(120, 480, 615, 255) << false;
    QTest::newRow("stop") << "Command4" << QRect(720, 480, 615, 255) << false;
    QTest::newRow("quit") << "Command5" << QRect(1440, 240, 615, 495) << false;
    QTest::newRow("port label") << "Label3_1" << QRect(2280, 120, 900, 195) << true;
    QTest::newRow("port numbers") << "Label3_0" << QRect(2280, 310, 1665, 160) << true;
    for (int i = 0; i < 8; ++i) {
        const QByteArray row = "port option " + QByteArray::number(i);
        QTest::newRow(row.constData())
            << QStringLiteral("Option1_%1").arg(i) << QRect(2160 + 240 * i, 480, 255, 315) << false;
    }
    QTest::newRow("count frame") << "Frame25" << QRect(4440, 0, 2415, 855) << false;
    QTest::newRow("left count") << "Text1" << QRect(120, 240, 375, 285) << false;
    QTest::newRow("mid count") << "Text2" << QRect(600, 240, 375, 285) << false;
    QTest::newRow("right count") << "Text3" << QRect(1080, 240, 375, 285) << false;
    QTest::newRow("chain names") << "Label14" << QRect(120, 600, 1350, 195) << true;
    QTest::newRow("send counts") << "Command1" << QRect(1560, 240, 735, 495) << false;
    QTest::newRow("last input frame") << "Frame26" << QRect(6960, 0, 2175, 855) << false;
    QTest::newRow("last input box") << "Text5" << QRect(120, 195, 1935, 570) << false;
    QTest::newRow("title label") << "Label6" << QRect(9240, 120, 3375, 435) << true;
    QTest::newRow("notice") << "Label13" << QRect(9720, 600, 1935, 195) << true;
    QTest::newRow("monitor label") << "Label15" << QRect(7560, 5760, 4335, 495) << true;
    QTest::newRow("monitor box") << "Text4" << QRect(7680, 6240, 4695, 1815) << false;
    QTest::newRow("card 1") << "Frame1" << QRect(120, 840, 3015, 975) << false;
    QTest::newRow("card 8") << "Frame4" << QRect(9480, 1800, 3015, 975) << false;
    QTest::newRow("card 14") << "Frame20" << QRect(3240, 3720, 3015, 975) << false;
    QTest::newRow("card 20") << "Frame23" << QRect(9480, 4680, 3015, 975) << false;
    QTest::newRow("lamp 1") << "Lampe1" << QRect(120, 240, 240, 240) << false;
    QTest::newRow("lamp 8") << "Lampe8" << QRect(2640, 240, 240, 240) << false;
    QTest::newRow("lamp 9") << "Lampe9" << QRect(120, 240, 240, 240) << false;
    QTest::newRow("lamp 160") << "Lampe160" << QRect(2640, 240, 240, 240) << false;
}

void TestWindow::geometry() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(bool, mayWiden);

    ScriptedWindow w(kAsCreated);
    const auto* control = w.form.findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    const QRect expected = pxRect(twips.x(), twips.y(), twips.width(), twips.height());
    const QRect actual = control->geometry();
    QCOMPARE(actual.topLeft(), expected.topLeft());
    QCOMPARE(actual.height(), expected.height());
    if (mayWiden) {
        QVERIFY2(actual.width() >= expected.width(), qPrintable(QString::number(actual.width())));
        QVERIFY(actual.right() < control->parentWidget()->width());
    } else {
        QCOMPARE(actual.width(), expected.width());
    }
}

void TestWindow::cards_data() {
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("labelWidth");
    QTest::addColumn<QString>("labelCaption");

    struct Row {
        const char* label;
        int width;
        const char* caption;
    };
    const std::array<Row, 20> rows{{
        {"Label2_0", 2700, " 1      2      3      4      5      6      7      8 "},
        {"Label2_1", 2700, " 9     10     11   12    13     14    15   16"},
        {"Label1_0", 2745, " 17   18     19    20   21     22    23    24"},
        {"Label1_1", 2700, " 25    26    27    28   29     30    31   32"},
        {"Label4_0", 2700, "33    34    35    36    37    38    39    40"},
        {"Label4_1", 2745, " 41    42    43    44    45    46    47    48"},
        {"Label5_1", 2745, " 49    50    51    52    53    54    55    56"},
        {"Label5_0", 2745, " 57    58    59    60    61    62    63    64"},
        {"Label7_0", 2745, " 65    66    67    68    69    70    71    72"},
        {"Label7_1", 2745, "73    74     75    76    77    78    79    80"},
        {"Label8_0", 2745, " 81    82    83    84    85    86    87    88"},
        {"Label8_1", 2790, " 89    90    91    92    93    94    95    96 "},
        {"Label9_0", 2745, "97    98    99   100  101  102  103  104"},
        {"Label9_1", 2745, "105  106  107 108  109  110  111  112"},
        {"Label10_0", 2790, "113  114  115  116  117  118  119  120"},
        {"Label10_1", 2790, "121  122  123  124  125  126  127  128"},
        {"Label11_0", 2790, "129  130  131  132  133  134  135  136"},
        {"Label11_1", 2790, "137  138  139  140  141  142  143  144"},
        {"Label12_0", 2790, "145  146  147  148  149  150  151  152"},
        {"Label12_1", 2790, "153  154  155  156  157  158  159  160"},
    }};
    for (int k = 1; k <= 20; ++k) {
        const Row& r = rows[std::size_t(k - 1)];
        const QByteArray row = "Kort " + QByteArray::number(k);
        QTest::newRow(row.constData())
            << k << QString::fromLatin1(r.label) << r.width << QString::fromLatin1(r.caption);
    }
}

void TestWindow::cards() {
    QFETCH(int, k);
    QFETCH(QString, label);
    QFETCH(int, labelWidth);
    QFETCH(QString, labelCaption);

    ScriptedWindow w(kAsCreated);
    const QString frameName = QString::fromLatin1(kCardFrames[std::size_t(k - 1)]);
    const auto* frame = w.form.findChild<QGroupBox*>(frameName);
    QVERIFY2(frame, qPrintable(frameName));
    QCOMPARE(frame->parentWidget(), &w.form);
    QCOMPARE(frame->title(), QStringLiteral("Kort %1").arg(k));
    const QPoint at = cardTopLeft(k);
    QCOMPARE(frame->geometry(), pxRect(at.x(), at.y(), 3015, 975));

    const auto* numbers = w.form.findChild<QLabel*>(label);
    QVERIFY2(numbers, qPrintable(label));
    QCOMPARE(numbers->parentWidget(), frame);
    QCOMPARE(numbers->text(), labelCaption);
    QCOMPARE(numbers->pos(), QPoint(px(120), px(600)));
    QCOMPARE(numbers->height(), px(195));
    QVERIFY(numbers->width() >= px(labelWidth));
    QVERIFY(numbers->geometry().right() < frame->width());
}

void TestWindow::lampsSitInTheirCards() {
    ScriptedWindow w(kAsCreated);
    QCOMPARE(w.form.findChildren<Lamp*>().size(), 160);
    for (int n = 1; n <= 160; ++n) {
        const auto* lamp = w.form.findChild<Lamp*>(QStringLiteral("Lampe%1").arg(n));
        QVERIFY2(lamp, qPrintable(QString::number(n)));
        QCOMPARE(lamp, w.form.controls().Lampe[std::size_t(n - 1)]);
        const int k = (n - 1) / 8 + 1;
        QCOMPARE(lamp->parentWidget()->objectName(),
                 QString::fromLatin1(kCardFrames[std::size_t(k - 1)]));
        QCOMPARE(lamp->geometry(), pxRect(120 + 360 * ((n - 1) % 8), 240, 240, 240));
        QVERIFY(lamp->isElementVisible(0));
        QVERIFY(!lamp->isElementVisible(1));
    }
}

void TestWindow::windowTitleAndFixedSize() {
    ScriptedWindow w(kAsCreated);
    QCOMPARE(w.form.windowTitle(), QStringLiteral("Test af VornS88 indgangsmodul"));
    QCOMPARE(w.form.size(), QSize(844, 543));
    QCOMPARE(w.form.minimumSize(), QSize(844, 543));
    QCOMPARE(w.form.maximumSize(), QSize(844, 543));
    QVERIFY(!w.form.windowIcon().isNull());

    const auto* notice = w.form.findChild<QLabel*>(QStringLiteral("Label13"));
    QVERIFY(notice);
    QVERIFY(!notice->text().trimmed().isEmpty());
    QVERIFY(!notice->text().contains(QLatin1Char('\n')));
}

void TestWindow::initialContents_data() {
    QTest::addColumn<bool>("load");
    QTest::newRow("as created") << false;
    QTest::newRow("loaded from an empty store") << true;
}

void TestWindow::initialContents() {
    QFETCH(bool, load);

    ScriptedWindow w({.load = load, .show = false});
    const Controls& c = w.form.controls();
    QCOMPARE(c.Text1->text(), QString());
    QCOMPARE(c.Text2->text(), QStringLiteral("0"));
    QCOMPARE(c.Text3->text(), QStringLiteral("0"));
    QCOMPARE(c.Text4->toPlainText(), QString());
    QCOMPARE(c.Text5->text(), QString());
    QVERIFY(c.Option1[0]->isChecked());
    for (int i = 1; i < 8; ++i)
        QVERIFY(!c.Option1[std::size_t(i)]->isChecked());
    for (const Lamp* lamp : c.Lampe) {
        QVERIFY(lamp->isElementVisible(0));
        QVERIFY(!lamp->isElementVisible(1));
    }
    if (load)
        QCOMPARE(c.Shape1->FillColor(), 255);
}

void TestWindow::tabOrder_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("name");
    // The window's own order first, unchanged, then the diagnostics area's controls.
    const QStringList expected{"Command3", "Command4", "Command5", "Text1", "Text2", "Text3",
                               "Command1", "Option1_0", "Option1_1", "Option1_2", "Option1_3",
                               "Text4", "Text5", "Option1_4", "Option1_5", "Option1_6", "Option1_7",
                               // then the diagnostics area's controls
                               "diagHistory", "diagFilter", "diagClear", "diagSaveCsv",
                               "diagRecord", "diagWalk", "diagTimeline", "diagNames",
                               "diagHistoryWindow", "diagMqtt", "diagView", "diagReadAloud"};
    for (int i = 0; i < expected.size(); ++i)
        QTest::addRow("%d %s", i + 1, qPrintable(expected[i])) << i << expected[i];
    QTest::newRow("then back to Start") << int(expected.size()) << QString();
}

void TestWindow::tabOrder() {
    QFETCH(int, position);
    QFETCH(QString, name);
    ScriptedWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));

    QWidget* start = w.form.controls().Command3;
    QStringList order;
    QWidget* current = start;
    do {
        const bool takesTab = (current->focusPolicy() & Qt::TabFocus) && current->isEnabled() &&
                              current->isVisibleTo(&w.form);
        if (takesTab && w.form.isAncestorOf(current))
            order << current->objectName();
        current = current->nextInFocusChain();
    } while (current != start && order.size() < 500);

    QCOMPARE(order.value(position), name);
}

void TestWindow::keysClickTheirButtons_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("clicked"); // empty: none

    const int none = Qt::NoModifier;
    QTest::newRow("F5 Start") << int(Qt::Key_F5) << none << "Command3";
    QTest::newRow("F6 Stop") << int(Qt::Key_F6) << none << "Command4";
    QTest::newRow("F7 Indsæt (s)") << int(Qt::Key_F7) << none << "Command1";
    QTest::newRow("Ctrl+Q Afslut") << int(Qt::Key_Q) << int(Qt::ControlModifier) << "Command5";
    QTest::newRow("Q alone") << int(Qt::Key_Q) << none << "";
    QTest::newRow("F4") << int(Qt::Key_F4) << none << "";
    QTest::newRow("F8") << int(Qt::Key_F8) << none << "";
    QTest::newRow("Alt+0") << int(Qt::Key_0) << int(Qt::AltModifier) << "";
    for (int port = 1; port <= 8; ++port)
        QTest::addRow("Alt+%d port %d", port, port) << int(Qt::Key_0 + port) << int(Qt::AltModifier)
                                                    << QStringLiteral("Option1_%1").arg(port - 1);
    QTest::newRow("Alt+9") << int(Qt::Key_9) << int(Qt::AltModifier) << "";
    QTest::newRow("3 alone") << int(Qt::Key_3) << none << "";
}

void TestWindow::keysClickTheirButtons() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, clicked);
    ScriptedWindow w;
    w.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    // The focus in a place where a key does nothing of its own.
    w.form.controls().Text5->setFocus();
    QStringList got;
    for (QAbstractButton* b : w.form.findChildren<QAbstractButton*>())
        connect(b, &QAbstractButton::clicked, &w.form, [&got, b] { got << b->objectName(); });

    QTest::keyClick(w.form.controls().Text5, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QCOMPARE(got, clicked.isEmpty() ? QStringList() : QStringList{clicked});
    // The captions stay as they are: the keys carry no mnemonic.
    QCOMPARE(w.form.controls().Command3->text(), QStringLiteral("Start"));
    QCOMPARE(w.form.controls().Command1->text(), QStringLiteral("Indsæt (s)"));
}

void TestWindow::enterInCountBoxSendsCounts_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("started");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("messages");

    const QByteArray counts = bytes({115, 2, 0, 1, 13});
    QTest::newRow("Return in Left")
        << "Text1" << int(Qt::Key_Return) << true << counts << QStringList();
    QTest::newRow("Return in Mid")
        << "Text2" << int(Qt::Key_Return) << true << counts << QStringList();
    QTest::newRow("keypad Enter in Right")
        << "Text3" << int(Qt::Key_Enter) << true << counts << QStringList();
    QTest::newRow("port not started") << "Text2" << int(Qt::Key_Return) << false << QByteArray()
                                      << QStringList{fixed::kSendReminder};
    QTest::newRow("Tab sends nothing")
        << "Text1" << int(Qt::Key_Tab) << true << QByteArray() << QStringList();
    QTest::newRow("Return in the last-input box sends nothing")
        << "Text5" << int(Qt::Key_Return) << true << QByteArray() << QStringList();
}

void TestWindow::enterInCountBoxSendsCounts() {
    QFETCH(QString, box);
    QFETCH(int, key);
    QFETCH(bool, started);
    QFETCH(QByteArray, sent);
    QFETCH(QStringList, messages);
    SKIP_WITHOUT_PTYS();
    PtyPair pty;
    WindowRig rig(pty);
    rig.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&rig.form));
    if (started)
        rig.start();
    const Controls& c = rig.c();
    c.Text1->setText(QStringLiteral("2"));
    c.Text2->setText(QStringLiteral("0"));
    c.Text3->setText(QStringLiteral("1"));
    auto* target = rig.form.findChild<QLineEdit*>(box);
    QVERIFY(target);
    target->setFocus();

    QTest::keyClick(target, Qt::Key(key));

    QCOMPARE(rig.messages.shown, messages);
    QByteArray got = sent.isEmpty() ? QByteArray() : readSent(pty, int(sent.size()), 3000);
    got += readSent(pty, 1, 300); // and nothing after it
    QCOMPARE(got, sent);
}

void TestWindow::colourHelpMarksActiveLamps_data() {
    QTest::addColumn<bool>("help");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("marked");

    QTest::addColumn<bool>("viaDialog"); // turned through "Visning…", as a user does

    for (const bool dialog : {false, true}) {
        const char* via = dialog ? "Visning…" : "window";
        QTest::addRow("%s: help on, active", via) << true << true << true << dialog;
        QTest::addRow("%s: help on, inactive", via) << true << false << false << dialog;
        QTest::addRow("%s: help off, active", via) << false << true << false << dialog;
        QTest::addRow("%s: help off, inactive", via) << false << false << false << dialog;
    }
}

void TestWindow::colourHelpMarksActiveLamps() {
    QFETCH(bool, help);
    QFETCH(bool, active);
    QFETCH(bool, marked);
    QFETCH(bool, viaDialog);
    ScriptedWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    w.start();
    // Turned on for every row first, so "off" is a change made while the window runs.
    w.form.setColourHelp(true);
    w.form.frameGate().frame();
    if (viaDialog) {
        QCheckBox& box = w.form.diagnostics().openView().colourHelpBox();
        QVERIFY(box.isChecked()); // on unless turned off
        box.setChecked(help);
    } else {
        w.form.setColourHelp(help);
    }
    // Module 3 holds inputs 33..48; input 42 is its tenth, bit 1 of the high byte.
    if (active)
        w.serial.deliver(bytes({'i', 1, 3, 2, 0}));
    w.form.frameGate().frame();

    const QImage image = w.form.grab().toImage();
    const QColor disc = active ? kGreen : kRed;
    for (int n : {41, 42, 43}) {
        const QPoint at = lampInWindow(n);
        const bool mark = marked && n == 42;
        // The very middle keeps the disc's colour; the ring lies 3 pixels out from it, on
        // either side, and the disc's edge is untouched.
        QCOMPARE(image.pixelColor(at + QPoint(8, 8)), n == 42 ? disc : kRed);
        for (const QPoint ring : {QPoint(8, 4), QPoint(4, 8), QPoint(8, 11), QPoint(11, 8)}) {
            const QColor pixel = image.pixelColor(at + ring);
            if (mark)
                QVERIFY2(pixel.lightness() > 200 && pixel.saturation() < 120,
                         qPrintable(pixel.name()));
            else
                QCOMPARE(pixel, n == 42 ? disc : kRed);
        }
        QCOMPARE(image.pixelColor(at + QPoint(8, 1)), n == 42 ? disc : kRed);
        QCOMPARE(image.pixelColor(at), kGrey);
    }
}

void TestWindow::focusOnStartWhenShown() {
    ScriptedWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    QTRY_COMPARE(w.form.focusWidget(), static_cast<QWidget*>(w.form.controls().Command3));
}

void TestWindow::fonts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");

    QTest::newRow("last input box") << "Text5" << 24.0 << true;
    QTest::newRow("title label") << "Label6" << 18.0 << false;
    QTest::newRow("monitor label") << "Label15" << 13.5 << true;
    QTest::newRow("start button") << "Command3" << 8.0 << false;
    QTest::newRow("left count box") << "Text1" << 8.0 << false;
    QTest::newRow("port frame") << "Frame24" << 8.0 << false;
    QTest::newRow("monitor box") << "Text4" << 8.0 << false;
    QTest::newRow("card numbers") << "Label2_0" << 8.0 << false;
}

void TestWindow::fonts() {
    QFETCH(QString, name);
    QFETCH(qreal, points);
    QFETCH(bool, bold);

    ScriptedWindow w(kAsCreated);
    const auto* control = w.form.findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    const QFont font = control->font();
    QCOMPARE(font.family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(font.bold(), bold);
    const auto* label = qobject_cast<const QLabel*>(control);
    if (label && font.pointSizeF() < points) {
        // Where the substitute font is wider than the one the caption was made for, a label
        // may take a smaller size, but only when the caption would not fit its room otherwise.
        QFont asDesigned = font;
        asDesigned.setPointSizeF(points);
        const int room = label->parentWidget()->width() - label->x();
        QVERIFY2(QFontMetrics(asDesigned).horizontalAdvance(label->text()) > room,
                 qPrintable(QString::number(font.pointSizeF())));
        QVERIFY(QFontMetrics(font).horizontalAdvance(label->text()) <= label->width());
    } else {
        QCOMPARE(font.pointSizeF(), points);
    }
}

void TestWindow::colours() {
    ScriptedWindow w(kAsCreated);
    const Controls& c = w.form.controls();
    QCOMPARE(c.Text4->palette().color(QPalette::Text), QColor(0, 192, 0));
    QCOMPARE(c.Text4->palette().color(QPalette::Base), QColor(0, 64, 0));
    QVERIFY(c.Text4->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff);
    QCOMPARE(c.Label6->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QVERIFY(c.Text1->alignment() & Qt::AlignHCenter);
    QVERIFY(c.Text5->alignment() & Qt::AlignHCenter);
    QVERIFY(c.Label15->alignment() & Qt::AlignHCenter);
}

void TestWindow::lampPictures_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QColor>("disc");
    QTest::newRow("red disc") << ":/lamps/red.gif" << kRed;
    QTest::newRow("green disc") << ":/lamps/green.gif" << kGreen;
}

void TestWindow::lampPictures() {
    QFETCH(QString, path);
    QFETCH(QColor, disc);

    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    QCOMPARE(file.read(6), QByteArray("GIF89a"));
    file.close();

    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("gif"));
    QCOMPARE(reader.imageCount(), 1);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), QSize(16, 16));

    const std::array<int, 16> widths{6, 8, 12, 12, 14, 16, 16, 16, 16, 16, 16, 14, 12, 12, 8, 6};
    int grey = 0;
    int inDisc = 0;
    for (int y = 0; y < 16; ++y) {
        const int w = widths[std::size_t(y)];
        for (int x = 0; x < 16; ++x) {
            const QColor pixel = image.pixelColor(x, y);
            QCOMPARE(pixel.alpha(), 255);
            const bool insideRow = x >= (16 - w) / 2 && x < (16 + w) / 2;
            const QColor expected = insideRow ? disc : kGrey;
            if (pixel != expected)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3, expected %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(pixel.name(), expected.name())));
            QCOMPARE(image.pixelColor(15 - x, y), pixel);
            QCOMPARE(image.pixelColor(x, 15 - y), pixel);
            (insideRow ? inDisc : grey) += 1;
        }
    }
    QCOMPARE(grey, 56);
    QCOMPARE(inDisc, 200);
}

void TestWindow::renderedLampsAndIndicatorAfterStartUp() {
    ScriptedWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    const QImage image = w.form.grab().toImage();
    QCOMPARE(image.size(), QSize(844, 543));

    for (int n = 1; n <= 160; ++n) {
        const QPoint at = lampInWindow(n);
        QCOMPARE(image.pixelColor(at + QPoint(8, 8)), kRed);
        for (const QPoint corner : {QPoint(0, 0), QPoint(15, 0), QPoint(0, 15), QPoint(15, 15)})
            QCOMPARE(image.pixelColor(at + corner), kGrey);
    }
    const QPoint indicator(px(120) + px(120) + px(1215) / 2, px(0) + px(240) + px(135) / 2);
    QCOMPARE(image.pixelColor(indicator), kRed);
}

void TestWindow::renderedLampFollowsItsInput() {
    ScriptedWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    w.start();
    // Module 3 holds inputs 33..48; input 42 is its tenth, bit 1 of the high byte.
    w.serial.deliver(bytes({'i', 1, 3, 2, 0}));
    QVERIFY(w.form.state().InputState[42]);

    const QImage image = w.form.grab().toImage();
    for (int n = 1; n <= 160; ++n) {
        const QPoint at = lampInWindow(n);
        QCOMPARE(image.pixelColor(at + QPoint(8, 8)), n == 42 ? kGreen : kRed);
        QCOMPARE(image.pixelColor(at), kGrey);
    }
    const QPoint indicator(px(120) + px(120) + px(1215) / 2, px(0) + px(240) + px(135) / 2);
    QCOMPARE(image.pixelColor(indicator), QColor(0, 128, 0));
}

void TestWindow::newLastInputRepaintsItsBoxAlone() {
    // While inputs stream, "Seneste aktive indgang" changes with every frame; its group and the
    // window around it stay as they are. Paints elsewhere (the diagnostics line's once-a-second
    // text) do not count.
    struct PaintCount : QObject {
        QRect around; // the box and a margin, in the watched widget's coordinates
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                paints += static_cast<QPaintEvent*>(event)->region().intersects(around);
            return false;
        }
    };
    ScriptedWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    w.start();
    const Controls& c = w.form.controls();
    w.serial.deliver(bytes({'i', 1, 3, 2, 0})); // input 42
    QTRY_COMPARE(c.Text5->text(), QStringLiteral(" 42"));
    PaintCount box, group, window;
    const QRect boxArea = c.Text5->rect().adjusted(-4, -4, 4, 4);
    box.around = boxArea;
    group.around = boxArea.translated(c.Text5->mapTo(c.Frame26, QPoint(0, 0)));
    window.around = boxArea.translated(c.Text5->mapTo(&w.form, QPoint(0, 0)));
    c.Text5->installEventFilter(&box);
    c.Frame26->installEventFilter(&group);
    w.form.installEventFilter(&window);
    w.serial.deliver(bytes({'i', 1, 3, 6, 0})); // and 43
    QTRY_COMPARE(c.Text5->text(), QStringLiteral(" 43"));
    QTRY_VERIFY(box.paints > 0);
    QTest::qWait(50);
    QCOMPARE(group.paints, 0);
    QCOMPARE(window.paints, 0);
}

void TestWindow::unstableLampWearsSign_data() {
    QTest::addColumn<bool>("help");
    QTest::addColumn<bool>("turnedOffLater");
    QTest::addColumn<bool>("sign");

    QTest::newRow("help on") << true << false << true;
    QTest::newRow("help off") << false << false << false;
    QTest::newRow("help turned off while marked") << true << true << false;
}

void TestWindow::unstableLampWearsSign() {
    QFETCH(bool, help);
    QFETCH(bool, turnedOffLater);
    QFETCH(bool, sign);
    ScriptedWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    w.form.setColourHelp(help);
    w.start();
    // Input 42 on and off again within a millisecond or so: a short pulse, unstable.
    w.serial.deliver(bytes({'i', 1, 3, 2, 0}));
    w.serial.deliver(bytes({'i', 1, 3, 0, 0}));
    w.form.frameGate().frame();
    QVERIFY(w.form.diagnostics().markers().isMarked(42));
    if (turnedOffLater)
        w.form.setColourHelp(false);

    const QImage image = w.form.grab().toImage();
    const QPoint lamp = lampInWindow(42);
    // The ring, amber, left of the disc, with or without the sign.
    const QColor ring = image.pixelColor(lamp + QPoint(-2, 8));
    QVERIFY2(ring.red() > 200 && ring.green() > 100 && ring.blue() < 80, qPrintable(ring.name()));
    // The sign: a yellow triangle over the ring's top right, right of the lamp's square.
    const QColor corner = image.pixelColor(lamp + QPoint(16, 4));
    const bool yellow = corner.red() > 200 && corner.green() > 180 && corner.blue() < 80;
    QVERIFY2(yellow == sign, qPrintable(corner.name()));
    // The disc's middle keeps its colour: inactive again, red.
    QCOMPARE(image.pixelColor(lamp + QPoint(8, 8)), kRed);
}

void TestWindow::otherWindowsKeys_data() {
    QTest::addColumn<QString>("window");
    // The controls Tab reaches, in order from the first: class and caption.
    QTest::addColumn<QStringList>("tabs");

    QTest::newRow("Tidslinje") << "timeline"
                               << QStringList{"QPushButton &Nu",
                                              "QCheckBox &Alle konfigurerede indgange",
                                              "QPushButton &Gem billede…"};
    QTest::newRow("Navne") << "names"
                           << QStringList{"QTableWidget ", "QPushButton &Importér…",
                                          "QPushButton &Eksportér…", "QPushButton &Gem"};
}

void TestWindow::otherWindowsKeys() {
    QFETCH(QString, window);
    QFETCH(QStringList, tabs);
    ScriptedWindow w;
    QWidget* opened = window == QLatin1String("timeline")
                          ? static_cast<QWidget*>(&w.form.diagnostics().openTimeline())
                          : static_cast<QWidget*>(&w.form.diagnostics().openNames());
    QVERIFY(QTest::qWaitForWindowExposed(opened));

    QStringList order;
    QWidget* first = nullptr;
    for (QWidget* current = opened->nextInFocusChain(); current != opened && order.size() < 50;
         current = current->nextInFocusChain()) {
        if (!(current->focusPolicy() & Qt::TabFocus) || !current->isVisibleTo(opened) ||
            current->focusProxy())
            continue;
        const QString text = current->property("text").toString();
        const QString entry = QString::fromLatin1(current->metaObject()->className()) + u' ' + text;
        if (!first && entry != tabs.value(0))
            continue; // the chain is a ring: start where the table starts
        if (current == first)
            break;
        if (!first)
            first = current;
        order << entry;
    }
    QCOMPARE(order, tabs);
}

QTEST_MAIN(TestWindow)
#include "test_window.moc"

#include "app/layout.h"

#include "panel/lamp.h"
#include "panel/monitorview.h"
#include "panel/shape.h"
#include "state/settingsstore.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace layout {
namespace {

struct Rect {
    int left, top, width, height; // twips
};

QFont sansSerif(qreal points, bool bold = false) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

template <typename W> W* place(W* w, const QString& name, Rect r) {
    w->setObjectName(name);
    w->setFont(sansSerif(8)); // set on each control: style sheets do not pass it down
    w->setGeometry(px(r.left), px(r.top), px(r.width), px(r.height));
    return w;
}

template <typename W> W* place(QWidget* parent, const QString& name, Rect r) {
    return place(new W(parent), name, r);
}

QGroupBox* frame(QWidget* parent, const QString& name, const QString& caption, Rect r) {
    auto* box = place<QGroupBox>(parent, name, r);
    box->setTitle(caption);
    return box;
}

QLabel* label(QWidget* parent, const QString& name, const QString& caption, Rect r) {
    auto* l = place<QLabel>(parent, name, r);
    l->setText(caption);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, Rect r) {
    auto* b = place<QPushButton>(parent, name, r);
    b->setText(caption);
    return b;
}

QLineEdit* textBox(QWidget* parent, const QString& name, const QString& text, Rect r) {
    auto* t = place<QLineEdit>(parent, name, r);
    t->setAlignment(Qt::AlignCenter);
    t->setMaxLength(1 << 24); // no practical limit
    t->setText(text);
    return t;
}

// The twenty card frames, in the order of their captions "Kort 1".."Kort 20".
struct Card {
    const char* frame;
    const char* label;
    int labelWidth;
    const char* caption; // the runs of spaces put each number under its lamp
};
constexpr std::array<Card, 20> kCards{{
    {"Frame1", "Label2_0", 2700, " 1      2      3      4      5      6      7      8 "},
    {"Frame11", "Label2_1", 2700, " 9     10     11   12    13     14    15   16"},
    {"Frame13", "Label1_0", 2745, " 17   18     19    20   21     22    23    24"},
    {"Frame14", "Label1_1", 2700, " 25    26    27    28   29     30    31   32"},
    {"Frame3", "Label4_0", 2700, "33    34    35    36    37    38    39    40"},
    {"Frame12", "Label4_1", 2745, " 41    42    43    44    45    46    47    48"},
    {"Frame2", "Label5_1", 2745, " 49    50    51    52    53    54    55    56"},
    {"Frame4", "Label5_0", 2745, " 57    58    59    60    61    62    63    64"},
    {"Frame5", "Label7_0", 2745, " 65    66    67    68    69    70    71    72"},
    {"Frame18", "Label7_1", 2745, "73    74     75    76    77    78    79    80"},
    {"Frame6", "Label8_0", 2745, " 81    82    83    84    85    86    87    88"},
    {"Frame19", "Label8_1", 2790, " 89    90    91    92    93    94    95    96 "},
    {"Frame7", "Label9_0", 2745, "97    98    99   100  101  102  103  104"},
    {"Frame20", "Label9_1", 2745, "105  106  107 108  109  110  111  112"},
    {"Frame8", "Label10_0", 2790, "113  114  115  116  117  118  119  120"},
    {"Frame21", "Label10_1", 2790, "121  122  123  124  125  126  127  128"},
    {"Frame9", "Label11_0", 2790, "129  130  131  132  133  134  135  136"},
    {"Frame22", "Label11_1", 2790, "137  138  139  140  141  142  143  144"},
    {"Frame10", "Label12_0", 2790, "145  146  147  148  149  150  151  152"},
    {"Frame23", "Label12_1", 2790, "153  154  155  156  157  158  159  160"},
}};

std::array<QPixmap, 2> lampPictures() {
    return {QPixmap(QStringLiteral(":/lamps/red.gif")),
            QPixmap(QStringLiteral(":/lamps/green.gif"))};
}

void buildPortFrame(QWidget& form, Controls& c) {
    c.Frame24 = frame(&form, QStringLiteral("Frame24"),
                      QCoreApplication::translate("Form1", "Init port"), {120, 0, 4215, 855});
    c.Shape1 = place<Shape>(c.Frame24, QStringLiteral("Shape1"), {120, 240, 1215, 135});
    c.Command3 = button(c.Frame24, QStringLiteral("Command3"),
                        QCoreApplication::translate("Form1", "Start"), {120, 480, 615, 255});
    c.Command4 = button(c.Frame24, QStringLiteral("Command4"),
                        QCoreApplication::translate("Form1", "Stop"), {720, 480, 615, 255});
    c.Command5 = button(c.Frame24, QStringLiteral("Command5"),
                        QCoreApplication::translate("Form1", "Afslut"), {1440, 240, 615, 495});
    c.Label3[1] =
        label(c.Frame24, QStringLiteral("Label3_1"),
              QCoreApplication::translate("Form1", "Com port 1-8"), {2280, 120, 900, 195});
    c.Label3[0] = label(c.Frame24, QStringLiteral("Label3_0"),
                        QStringLiteral("1   2   3   4   5   6   7   8"), {2280, 310, 1665, 160});
    for (int i = 0; i < 8; ++i) {
        c.Option1[std::size_t(i)] = place<QRadioButton>(
            c.Frame24, QStringLiteral("Option1_%1").arg(i), {2160 + 240 * i, 480, 255, 315});
    }
    c.Option1[0]->setChecked(true);
}

void buildCountFrame(QWidget& form, Controls& c) {
    c.Frame25 = frame(&form, QStringLiteral("Frame25"),
                      QCoreApplication::translate("Form1", "Modulantal"), {4440, 0, 2415, 855});
    c.Text1 = textBox(c.Frame25, QStringLiteral("Text1"), QString(), {120, 240, 375, 285});
    c.Text2 =
        textBox(c.Frame25, QStringLiteral("Text2"), QStringLiteral("0"), {600, 240, 375, 285});
    c.Text3 =
        textBox(c.Frame25, QStringLiteral("Text3"), QStringLiteral("0"), {1080, 240, 375, 285});
    // A paste of megabytes is cut to what a count can ever need, as typing is.
    for (QLineEdit* t : {c.Text1, c.Text2, c.Text3})
        t->setMaxLength(settings_keys::kCountLength);
    c.Label14 = label(c.Frame25, QStringLiteral("Label14"),
                      QCoreApplication::translate("Form1", "Left      Mid    Right"),
                      {120, 600, 1350, 195});
    c.Command1 = button(c.Frame25, QStringLiteral("Command1"),
                        QCoreApplication::translate("Form1", "Indsæt (s)"), {1560, 240, 735, 495});
}

void buildRightColumn(QWidget& form, Controls& c, const Monitor& monitor) {
    c.Frame26 =
        frame(&form, QStringLiteral("Frame26"),
              QCoreApplication::translate("Form1", "Seneste aktive indgang"), {6960, 0, 2175, 855});
    c.Text5 = textBox(c.Frame26, QStringLiteral("Text5"), QString(), {120, 195, 1935, 570});
    c.Text5->setFont(sansSerif(24, true));
    c.Text5->setReadOnly(true); // written by the refresh only

    c.Label6 = label(&form, QStringLiteral("Label6"),
                     QCoreApplication::translate("Form1", "Test af Vorn S88(USB)"),
                     {9240, 120, 3375, 435});
    c.Label6->setFont(sansSerif(18));
    QPalette blue = c.Label6->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    c.Label6->setPalette(blue);
    c.Label13 = label(&form, QStringLiteral("Label13"), QStringLiteral("© Vorn Elektronik 2007"),
                      {9720, 600, 1935, 195});

    c.Label15 = label(&form, QStringLiteral("Label15"),
                      QCoreApplication::translate("Form1", "Monitor"), {7560, 5760, 4335, 495});
    c.Label15->setFont(sansSerif(13.5, true));
    c.Label15->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    c.Text4 =
        place(new MonitorView(monitor, &form), QStringLiteral("Text4"), {7680, 6240, 4695, 1815});
    c.Text4->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c.Text4->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette colours = c.Text4->palette();
    colours.setColor(QPalette::Base, QColor(0, 64, 0));
    colours.setColor(QPalette::Text, QColor(0, 192, 0));
    c.Text4->setPalette(colours);
}

void buildCards(QWidget& form, Controls& c) {
    const std::array<QPixmap, 2> pictures = lampPictures();
    for (int k = 1; k <= 20; ++k) {
        const Card& card = kCards[std::size_t(k - 1)];
        const CardPlace where = cardPlace(k);
        QGroupBox* box = frame(&form, QLatin1String(card.frame),
                               QCoreApplication::translate("Form1", "Kort %1").arg(k),
                               {where.left, where.top, where.width, where.height});
        c.cards[std::size_t(k - 1)] = box;
        c.cardLabels[std::size_t(k - 1)] =
            label(box, QLatin1String(card.label), QString::fromLatin1(card.caption),
                  {120, 600, card.labelWidth, 195});
    }
    for (int n = 1; n <= FormState::kLampCount; ++n) {
        const LampPlace where = lampPlace(n);
        auto* lamp = new Lamp(pictures, c.cards[std::size_t(where.card - 1)]);
        lamp->setObjectName(QStringLiteral("Lampe%1").arg(n));
        lamp->setGeometry(px(where.left), px(where.top), px(where.width), px(where.height));
        c.Lampe[std::size_t(n - 1)] = lamp;
    }
}

void setTabOrder(const Controls& c) {
    const std::array<QWidget*, 17> order{
        c.Command3, c.Command4,   c.Command5,   c.Text1,      c.Text2,      c.Text3,
        c.Command1, c.Option1[0], c.Option1[1], c.Option1[2], c.Option1[3], c.Text4,
        c.Text5,    c.Option1[4], c.Option1[5], c.Option1[6], c.Option1[7]};
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace

void appendTabChain(const Controls& c, const QList<QWidget*>& more) {
    QWidget* previous = c.Option1[7];
    for (QWidget* w : more) {
        if (!(w->focusPolicy() & Qt::TabFocus))
            w->setFocusPolicy(Qt::StrongFocus);
        QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

namespace {

// The fallback fonts are a little wider than the one the captions were spaced for. A label
// whose caption does not fit takes the free room up to its container's edge, and only if
// that is not enough is its font made smaller, so that no caption is cut off.
void fitCaption(QLabel* label, int containerWidth) {
    const int room = containerWidth - label->x() - 2;
    int needed = QFontMetrics(label->font()).horizontalAdvance(label->text()) + 1;
    if (needed <= label->width())
        return;
    label->resize(std::min(needed, std::max(room, label->width())), label->height());
    QFont font = label->font();
    while (needed > label->width() && font.pointSizeF() > 6) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        needed = QFontMetrics(font).horizontalAdvance(label->text()) + 1;
    }
    label->setFont(font);
}

void fitCaptions(QWidget& form) {
    for (QLabel* label : form.findChildren<QLabel*>()) {
        const QWidget* container = label->parentWidget();
        fitCaption(label, container == &form ? form.width() : container->width());
    }
}

} // namespace

void placeDiagnostics(QWidget& area) {
    place(&area, QStringLiteral("diagArea"), {120, 5700, 7470, 2355});
}

Controls build(QWidget& form, const Monitor& monitor) {
    // The captions were spaced for "MS Sans Serif"; Arial and Liberation Sans share its
    // metrics closely enough that the numbers under the lamps stay under their lamps.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    form.setFixedSize(px(kClientWidth), px(kClientHeight));
    form.setFont(sansSerif(8));
    QPalette face = form.palette();
    const QColor grey(kFaceGrey, kFaceGrey, kFaceGrey);
    face.setColor(QPalette::Window, grey);
    face.setColor(QPalette::Button, grey);
    form.setPalette(face);
    form.setAutoFillBackground(true);
    // Frames as the classic toolkit draws them: an etched line at half the caption's
    // height, with the caption standing on it, so that children placed from the frame's
    // top-left corner sit inside the line.
    form.setStyleSheet(
        QStringLiteral(
            "QGroupBox { border: 2px groove #f0f0f0; margin-top: 6px; }"
            "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
            " left: 6px; padding: 0px 1px; }"
            // Under a style sheet the children do not take the form's palette: the disabled
            // captions' grey is given here, for the buttons and labels on the face (not for
            // the views that draw their placeholders in the disabled grey on white).
            "QAbstractButton:disabled, QLabel:disabled { color: rgb(%1, %1, %1); }")
            .arg(kDisabledTextGrey));

    Controls c;
    buildPortFrame(form, c);
    buildCountFrame(form, c);
    buildRightColumn(form, c, monitor);
    buildCards(form, c);
    setTabOrder(c);
    fitCaptions(form);
    return c;
}

} // namespace layout

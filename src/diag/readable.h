#pragma once

#include <QList>
#include <QSize>
#include <QString>

class QAbstractButton;
class QWidget;

// Helpers that keep the diagnostics windows usable from the keyboard and from a distance.
namespace readable {

// Gives each button a mnemonic: an & before the first letter of its caption (as it reads in
// the chosen language) that no earlier button and none of `taken` uses; a caption that
// already has one, or has no free letter, is left as it is.
void addMnemonics(const QList<QAbstractButton*>& buttons, const QString& taken = {});

// Tab goes through `widgets` in this order.
void chainTabs(const QList<QWidget*>& widgets);

// The walk test's request: 30 points in its window's first size (820 x 640), growing with
// the window as its narrower proportion grows, never smaller, at most 160 points.
int requestPoints(QSize window);
// The line under it grows alike from 16 points.
int lastPoints(QSize window);

} // namespace readable

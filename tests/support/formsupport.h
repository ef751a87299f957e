#pragma once

#include <QList>

class Form1;

// The lamps showing green, in input order; -n marks a lamp that shows both discs or neither.
QList<int> greenLamps(const Form1& form);

#pragma once

#include "state/language.h"

#include <QString>

// A number in words, as spoken, 0..999 (other numbers in digits):
// 73 "treoghalvfjerds", "seventy-three", "dreiundsiebzig".
QString numberWords(int n, Language language);

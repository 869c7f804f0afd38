// SPDX-License-Identifier: GPL-3.0-or-later
#include "CourseInfo.h"

using namespace Qt::Literals::StringLiterals;

const QString CourseInfo::TitleFirstLine = u"Администрирование"_s;
const QString CourseInfo::TitleSecondLine = u"компьютерных сетей"_s;
const QString CourseInfo::Title = TitleFirstLine + u' ' + TitleSecondLine;
const QString CourseInfo::Institution = u"Государственный технический университет"_s;
const QString CourseInfo::Department = u"Кафедра информационных систем"_s;
const QString CourseInfo::Author = u"старший преподаватель"_s;
const QString CourseInfo::Specialty = u"для специальности 5B070300 – Информационные системы"_s;
const QString CourseInfo::PlaceAndYear = u"Учебный центр, 2026"_s;

// SPDX-License-Identifier: GPL-3.0-or-later
#include "CourseRequestFilter.h"

#include "PageRule.h"

void CourseRequestFilter::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (PageRule::allows(info.requestUrl()))
        return;
    info.block(true);
    emit refused(info.requestUrl());
}

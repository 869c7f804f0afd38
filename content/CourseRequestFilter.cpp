#include "CourseRequestFilter.h"

#include "PageRule.h"

void CourseRequestFilter::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (PageRule::allows(info.requestUrl()))
        return;
    info.block(true);
    emit refused(info.requestUrl());
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "LinkSwapper.h"

#include <QFile>
#include <cstdio>
#include <unistd.h>

LinkSwapper::LinkSwapper(const QString &name, const QString &real, const QString &outside)
    : m_name(QFile::encodeName(name)), m_real(QFile::encodeName(real)),
      m_link(QFile::encodeName(name + QStringLiteral(".link"))),
      m_outside(QFile::encodeName(outside)), m_thread([this] { run(); })
{
}

LinkSwapper::~LinkSwapper()
{
    m_stop = true;
    m_thread.join();
    // The real entry is back under its name whenever the loop stops.
    ::unlink(m_link.constData());
}

void LinkSwapper::run()
{
    ::unlink(m_link.constData());
    if (::symlink(m_outside.constData(), m_link.constData()) != 0)
        return;
    while (!m_stop) {
        // The real entry goes aside, the link takes its name, then back.
        if (::rename(m_name.constData(), m_real.constData()) == 0 &&
            ::rename(m_link.constData(), m_name.constData()) == 0) {
            ++m_swaps;
            ::rename(m_name.constData(), m_link.constData());
            ::rename(m_real.constData(), m_name.constData());
        }
    }
}

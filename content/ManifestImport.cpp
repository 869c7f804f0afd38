// SPDX-License-Identifier: GPL-3.0-or-later
#include "ManifestImport.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Item
{
    QString identifier;
    QString resource; // identifierref
    QString title;
    QString parameters;
    bool hidden = false;
    int line = 0;
    QList<Item> items;
};

struct Organization
{
    QString identifier;
    QString title;
    int line = 0;
    QList<Item> items;
};

struct Resource
{
    QString href;
    QString base;
    int line = 0;
};

class Reader
{
public:
    explicit Reader(const QByteArray &text) : m_xml(text) {}

    QList<Organization> organizations;
    QString defaultOrganization;
    QHash<QString, Resource> resources;
    QList<CourseStructure::Finding> dropped;

    QString read()
    {
        // The document ends with its one root element; reading on would
        // report the end of the text as premature.
        if (m_xml.readNextStartElement()) {
            if (m_xml.name() != u"manifest"_s)
                return u"корневой элемент — <%1>, а не <manifest>"_s.arg(m_xml.name());
            manifest();
        }
        if (m_xml.hasError())
            return u"строка %1: %2"_s.arg(m_xml.lineNumber()).arg(m_xml.errorString());
        return {};
    }

private:
    int line() const { return int(m_xml.lineNumber()); }
    void drop(const QString &what) { dropped.append({line(), false, what}); }

    void manifest()
    {
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.name();
            if (name == u"organizations"_s) {
                defaultOrganization = m_xml.attributes().value(u"default"_s).toString();
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() == u"organization"_s) {
                        organizations.append(organization());
                    } else {
                        drop(u"<%1> не перенесено"_s.arg(m_xml.name()));
                        m_xml.skipCurrentElement();
                    }
                }
            } else if (name == u"resources"_s) {
                const QString base = m_xml.attributes().value(u"xml:base"_s).toString();
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() == u"resource"_s) {
                        const QXmlStreamAttributes a = m_xml.attributes();
                        resources.insert(a.value(u"identifier"_s).toString(),
                                         {a.value(u"href"_s).toString(),
                                          base + a.value(u"xml:base"_s).toString(), line()});
                    }
                    m_xml.skipCurrentElement();
                }
            } else if (name == u"metadata"_s) {
                m_xml.skipCurrentElement();
            } else {
                drop(u"<%1> не перенесено: у курса нет такого свойства"_s.arg(name));
                m_xml.skipCurrentElement();
            }
        }
    }

    Organization organization()
    {
        Organization org;
        org.identifier = m_xml.attributes().value(u"identifier"_s).toString();
        org.line = line();
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"title"_s)
                org.title = m_xml.readElementText().simplified();
            else if (m_xml.name() == u"item"_s)
                org.items.append(item());
            else
                other();
        }
        return org;
    }

    Item item()
    {
        Item it;
        const QXmlStreamAttributes a = m_xml.attributes();
        it.identifier = a.value(u"identifier"_s).toString();
        it.resource = a.value(u"identifierref"_s).toString();
        it.hidden = a.value(u"isvisible"_s) == u"false"_s;
        it.line = line();
        if (a.hasAttribute(u"parameters"_s))
            drop(u"параметры «%1» пункта %2 не перенесены"_s.arg(a.value(u"parameters"_s),
                                                                 it.identifier));
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"title"_s)
                it.title = m_xml.readElementText().simplified();
            else if (m_xml.name() == u"item"_s)
                it.items.append(item());
            else
                other();
        }
        return it;
    }

    void other()
    {
        if (m_xml.name() != u"metadata"_s)
            drop(u"<%1> не перенесено: условия и порядок прохождения задаются в курсе "
                 u"параметром after="_s.arg(m_xml.qualifiedName()));
        m_xml.skipCurrentElement();
    }

    QXmlStreamReader m_xml;
};

class Writer
{
public:
    Writer(const Reader &reader, QList<CourseStructure::Finding> &dropped)
        : m_reader(reader), m_dropped(dropped)
    {
    }

    QString text;

    void organization(const Organization &org)
    {
        text += u"group %1 \"%2\" for=student,admin\n"_s.arg(
            name(org.identifier, u"contents"_s),
            quoted(org.title.isEmpty() ? u"Содержание"_s : org.title));
        for (const Item &it : org.items)
            item(it, 1);
    }

private:
    static QString quoted(QString text) { return text.replace(u"\""_s, u"\"\""_s); }

    QString name(const QString &identifier, const QString &fallback)
    {
        QString base = identifier;
        base.replace(QRegularExpression(u"[^A-Za-z0-9_]"_s), u"_"_s);
        if (base.isEmpty() || CourseStructure::testNumber(base) != 0)
            base = fallback;
        QString candidate = base;
        for (int n = 2; m_names.contains(candidate.toLower()); ++n)
            candidate = base + u'_' + QString::number(n);
        m_names.insert(candidate.toLower());
        return candidate;
    }

    void item(const Item &it, int depth)
    {
        const QString indent(depth * 2, u' ');
        const QString caption = quoted(it.title.isEmpty() ? it.identifier : it.title);
        const QString hidden = it.hidden ? u" hidden"_s : QString();
        if (!it.items.isEmpty()) {
            if (!it.resource.isEmpty())
                m_dropped.append(
                    {it.line, false,
                     u"у пункта %1 есть и подпункты, и ресурс: ресурс не перенесён"_s.arg(
                         it.identifier)});
            text += indent +
                    u"group %1 \"%2\"%3\n"_s.arg(name(it.identifier, u"group"_s), caption, hidden);
            for (const Item &child : it.items)
                item(child, depth + 1);
            return;
        }
        const Resource resource = m_reader.resources.value(it.resource);
        QString path = resource.base + resource.href;
        if (it.resource.isEmpty() || !m_reader.resources.contains(it.resource) ||
            resource.href.isEmpty()) {
            m_dropped.append(
                {it.line, false,
                 u"пункт %1 не перенесён: у него нет ресурса с файлом"_s.arg(it.identifier)});
            return;
        }
        const qsizetype query = path.indexOf(u'?');
        if (query >= 0 || path.contains(u'#')) {
            m_dropped.append(
                {resource.line, false, u"параметры адреса «%1» не перенесены"_s.arg(path)});
            path = path.left(query >= 0 ? query : path.indexOf(u'#'));
        }
        path.replace(u'/', u'\\');
        if (!path.startsWith(u'\\'))
            path.prepend(u'\\');
        if (!CourseStructure::insideFolder(path)) {
            m_dropped.append({resource.line, false,
                              u"ресурс %1 вне пакета не перенесён: %2"_s.arg(it.resource, path)});
            return;
        }
        text += indent + u"page %1 \"%2\" %3%4\n"_s.arg(
                             name(it.identifier, u"page"_s), caption,
                             path.contains(u' ') ? u'"' + path + u'"' : path, hidden);
    }

    const Reader &m_reader;
    QList<CourseStructure::Finding> &m_dropped;
    QSet<QString> m_names = {u"login"_s, u"exit"_s};
};

} // namespace

ManifestImport::Result ManifestImport::convert(const QByteArray &manifest)
{
    Result result;
    Reader reader(manifest);
    result.error = reader.read();
    if (!result.error.isEmpty())
        return result;
    if (reader.organizations.isEmpty()) {
        result.error = u"в манифесте нет ни одной организации (organization)"_s;
        return result;
    }
    result.dropped = reader.dropped;
    const Organization *chosen = &reader.organizations.first();
    for (const Organization &org : reader.organizations) {
        if (org.identifier == reader.defaultOrganization)
            chosen = &org;
    }
    for (const Organization &org : reader.organizations) {
        if (&org != chosen)
            result.dropped.append(
                {org.line, false,
                 u"организация %1 не перенесена: курс строится по одной, %2"_s.arg(
                     org.identifier, chosen->identifier)});
    }
    Writer writer(reader, result.dropped);
    writer.organization(*chosen);
    std::stable_sort(result.dropped.begin(), result.dropped.end(),
                     [](const auto &a, const auto &b) { return a.line < b.line; });
    QString text = u"; Черновик из манифеста пакета: проверьте его командой "
                   u"«coursebook-admin course check».\n[course]\ntitle = %1\n"_s.arg(chosen->title);
    text += u"\n[menu]\n"_s + writer.text +
            u"command login \"На форму авторизации\" login for=guest\n"
            u"command exit \"Выход\" exit\n"_s;
    result.text = text.toUtf8();
    return result;
}

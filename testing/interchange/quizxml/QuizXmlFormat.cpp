// SPDX-License-Identifier: GPL-3.0-or-later
#include "QuizXmlFormat.h"

#include "GiftFormat.h"
#include "PlainText.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <limits>
#include <memory>
#include <vector>

namespace {

// One element of a question, with all the text inside it in document order.
struct Node
{
    QString name;
    QXmlStreamAttributes attributes;
    QString inner;
    int line = 0;
    std::vector<std::unique_ptr<Node>> children;

    const Node *child(const QString &n) const
    {
        for (const auto &c : children) {
            if (c->name == n)
                return c.get();
        }
        return nullptr;
    }

    QString attribute(const QString &n) const { return attributes.value(n).toString(); }
};

bool isMediaElement(const QString &name)
{
    return name == QLatin1String("file") || name == QLatin1String("image") ||
           name == QLatin1String("image_base64") || name == QLatin1String("img");
}

bool hasMedia(const Node &node)
{
    for (const auto &c : node.children) {
        if (isMediaElement(c->name) || hasMedia(*c))
            return true;
    }
    return false;
}

// The text of an element holding <text> in the given format; media inside
// it (embedded files, images in the markup) set *media.
QString textOf(const Node *holder, const QString &defaultFormat, bool *media)
{
    if (!holder)
        return QString();
    const Node *text = holder->child(QStringLiteral("text"));
    if (hasMedia(*holder))
        *media = true;
    if (!text)
        return QString();
    QString format = holder->attribute(QStringLiteral("format"));
    if (format.isEmpty())
        format = defaultFormat;
    if (format == QLatin1String("plain_text") || format == QLatin1String("markdown"))
        return PlainText::joined(text->inner);
    const PlainText::Reduced reduced = PlainText::fromHtml(text->inner);
    if (reduced.droppedMedia)
        *media = true;
    return reduced.text;
}

bool nonEmptyText(const Node *holder)
{
    if (!holder)
        return false;
    const Node *text = holder->child(QStringLiteral("text"));
    return text && !PlainText::fromHtml(text->inner).text.isEmpty();
}

bool isTrue(const Node *flag, bool fallback)
{
    if (!flag)
        return fallback;
    const QString v = flag->inner.trimmed().toLower();
    return v == QLatin1String("true") || v == QLatin1String("1");
}

// The fraction as a number; NaN when it is not one.
double fractionOf(const Node &answer)
{
    bool ok = false;
    const double f = answer.attribute(QStringLiteral("fraction")).trimmed().toDouble(&ok);
    return ok ? f : std::numeric_limits<double>::quiet_NaN();
}

void readChoices(BankQuestion &q, const Node &question, const QString &format, bool trueFalse,
                 bool *media)
{
    int rights = 0;
    bool partial = false;
    bool feedback = false;
    QList<const Node *> answers;
    for (const auto &c : question.children) {
        if (c->name == QLatin1String("answer"))
            answers.append(c.get());
    }
    for (const Node *a : answers) {
        const double f = fractionOf(*a);
        if (f == 100)
            ++rights;
        else if (f != 0)
            partial = true;
        feedback = feedback || nonEmptyText(a->child(QStringLiteral("feedback")));
    }
    if (partial) {
        q.skip = QStringLiteral("ответы с частичными баллами не переносятся");
        return;
    }
    if (rights == 0) {
        q.skip = QStringLiteral("нет правильного ответа");
        return;
    }
    if (rights > 1) {
        q.skip = QStringLiteral("несколько правильных ответов (%1)").arg(rights);
        return;
    }
    if (trueFalse) {
        q.answers = {GiftFormat::TrueText, GiftFormat::FalseText};
        for (const Node *a : answers) {
            if (fractionOf(*a) != 100)
                continue;
            const QString said = textOf(a, format, media).toLower();
            if (said == QLatin1String("true"))
                q.right = 0;
            else if (said == QLatin1String("false"))
                q.right = 1;
        }
        if (q.right < 0)
            q.skip = QStringLiteral("правильный ответ не «true» и не «false»");
    } else {
        for (const Node *a : answers) {
            if (fractionOf(*a) == 100)
                q.right = int(q.answers.size());
            q.answers.append(textOf(a, format, media));
        }
    }
    if (feedback)
        q.losses.append(QStringLiteral("отзывы к ответам не переносятся"));
}

BankQuestion interpret(const Node &question, int number)
{
    BankQuestion q;
    bool media = false;
    const QString name = textOf(question.child(QStringLiteral("name")), QString(), &media);
    q.place = name.isEmpty() ? QStringLiteral("вопрос %1").arg(number)
                             : QStringLiteral("вопрос %1 «%2»").arg(number).arg(name);
    media = false;

    const QString type = question.attribute(QStringLiteral("type"));
    const Node *text = question.child(QStringLiteral("questiontext"));
    QString format = text ? text->attribute(QStringLiteral("format")) : QString();
    if (format.isEmpty())
        format = QStringLiteral("html");

    if (type == QLatin1String("multichoice")) {
        if (!isTrue(question.child(QStringLiteral("single")), true)) {
            q.skip = QStringLiteral("вопрос с несколькими правильными ответами не переносится");
            return q;
        }
        readChoices(q, question, format, false, &media);
    } else if (type == QLatin1String("truefalse")) {
        readChoices(q, question, format, true, &media);
    } else {
        q.skip = QStringLiteral("вопрос типа «%1» не переносится").arg(type);
        return q;
    }
    if (q.skipped())
        return q;

    q.text = textOf(text, format, &media);
    for (const char *general : {"generalfeedback", "correctfeedback", "partiallycorrectfeedback",
                                "incorrectfeedback", "hint"}) {
        if (nonEmptyText(question.child(QLatin1String(general)))) {
            q.losses.append(QStringLiteral("общие отзывы и подсказки не переносятся"));
            break;
        }
    }
    if (media)
        q.losses.prepend(QStringLiteral("изображения и другие вставки удалены"));
    return q;
}

// XML 1.0 has no place for control characters other than line ends and tabs.
QString xmlSafe(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

QuestionBank QuizXmlFormat::read(const QString &text)
{
    QuestionBank bank;
    QXmlStreamReader xml(text);
    int depth = 0;
    int number = 0;
    // The question being read, from its element down.
    std::vector<Node *> open;
    std::unique_ptr<Node> question;

    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        const int line = int(xml.lineNumber());
        if (token == QXmlStreamReader::DTD) {
            if (!xml.entityDeclarations().isEmpty()) {
                bank.refusal = QStringLiteral("строка %1: файл объявляет сущности XML "
                                              "(<!ENTITY>); такой файл не читается")
                                   .arg(line);
                return bank;
            }
            continue;
        }
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth > MaxDepth) {
                bank.faults.append(QStringLiteral("строка %1: вложенность элементов глубже "
                                                  "%2 уровней; дальше файл не читается")
                                       .arg(line)
                                       .arg(MaxDepth));
                break;
            }
            const QString name = xml.name().toString();
            if (depth == 1) {
                if (name != QLatin1String("quiz")) {
                    bank.faults.append(
                        QStringLiteral("строка %1: корневой элемент <%2>, а не <quiz>")
                            .arg(line)
                            .arg(name));
                    break;
                }
                continue;
            }
            if (depth == 2 && name == QLatin1String("question")) {
                question = std::make_unique<Node>();
                question->name = name;
                question->attributes = xml.attributes();
                question->line = line;
                open = {question.get()};
                continue;
            }
            if (!open.empty()) {
                auto node = std::make_unique<Node>();
                node->name = name;
                node->attributes = xml.attributes();
                node->line = line;
                Node *raw = node.get();
                open.back()->children.push_back(std::move(node));
                open.push_back(raw);
            }
            continue;
        }
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            if (open.empty())
                continue;
            open.pop_back();
            if (!open.empty())
                continue;
            if (question->attribute(QStringLiteral("type")) == QLatin1String("category")) {
                bool media = false;
                const QString category =
                    textOf(question->child(QStringLiteral("category")), QString(), &media);
                bank.notes.append(QStringLiteral("строка %1: категория «%2» не переносится")
                                      .arg(question->line)
                                      .arg(category));
            } else {
                bank.questions.append(interpret(*question, ++number));
            }
            question.reset();
            continue;
        }
        if (token == QXmlStreamReader::Characters) {
            const QStringView chars = xml.text();
            for (Node *n : open)
                n->inner.append(chars);
        }
    }
    if (xml.hasError()) {
        QString where = QStringLiteral("строка %1").arg(xml.lineNumber());
        if (question) {
            bool media = false;
            const QString name = textOf(question->child(QStringLiteral("name")), QString(), &media);
            where += QStringLiteral(", вопрос %1").arg(number + 1);
            if (!name.isEmpty())
                where += QStringLiteral(" «%1»").arg(name);
        }
        bank.faults.append(QStringLiteral("%1: XML не разобран: %2; дальше файл не читается")
                               .arg(where, xml.errorString()));
    }
    return bank;
}

QByteArray QuizXmlFormat::write(QList<BankQuestion> &questions)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("quiz"));
    int number = 0;
    for (BankQuestion &q : questions) {
        ++number;
        if (q.skipped())
            continue;
        xml.writeStartElement(QStringLiteral("question"));
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("multichoice"));
        xml.writeStartElement(QStringLiteral("name"));
        xml.writeTextElement(QStringLiteral("text"), QStringLiteral("Вопрос %1").arg(number));
        xml.writeEndElement();
        xml.writeStartElement(QStringLiteral("questiontext"));
        xml.writeAttribute(QStringLiteral("format"), QStringLiteral("plain_text"));
        xml.writeTextElement(QStringLiteral("text"), xmlSafe(q.text));
        xml.writeEndElement();
        for (qsizetype i = 0; i < q.answers.size(); ++i) {
            xml.writeStartElement(QStringLiteral("answer"));
            xml.writeAttribute(QStringLiteral("fraction"),
                               i == q.right ? QStringLiteral("100") : QStringLiteral("0"));
            xml.writeAttribute(QStringLiteral("format"), QStringLiteral("plain_text"));
            xml.writeTextElement(QStringLiteral("text"), xmlSafe(q.answers[i]));
            xml.writeEndElement();
        }
        xml.writeTextElement(QStringLiteral("single"), QStringLiteral("true"));
        xml.writeTextElement(QStringLiteral("shuffleanswers"), QStringLiteral("0"));
        xml.writeTextElement(QStringLiteral("answernumbering"), QStringLiteral("ABCD"));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

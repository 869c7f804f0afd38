// SPDX-License-Identifier: GPL-3.0-or-later
#include "MemoryTargets.h"

#include "AdminSettings.h"
#include "BankFormat.h"
#include "CodePage.h"
#include "IniDocument.h"
#include "IniModel.h"
#include "IniSnapshot.h"
#include "IntegerText.h"
#include "LogDate.h"
#include "Paths.h"
#include "QuestionSource.h"
#include "RuntimeError.h"
#include "SourceChecker.h"
#include "Store.h"
#include "TestConverter.h"
#include "TestFile.h"
#include "TestLogReader.h"
#include "TextLines.h"
#include "UserList.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>

#include <algorithm>
#include <optional>

namespace {

const QByteArray Marker = QByteArrayLiteral("!!!!!!");

// Time spent in the code under test; the checks around it do not count.
class Budget
{
public:
    template <typename F> auto run(F f)
    {
        QElapsedTimer timer;
        timer.start();
        struct Add
        {
            QElapsedTimer &timer;
            qint64 &spent;
            ~Add() { spent += timer.nsecsElapsed(); }
        } add{timer, m_spent};
        return f();
    }

    // A reader linear in its input reads 1 MB well within a second in the
    // program's own build (0.6 s at most, checks included). The sanitizers
    // and coverage counters of the fuzzer build slow the readers of text
    // tenfold to a hundredfold, so that build allows a minute a megabyte,
    // which still leaves a quadratic reader (hours for 1 MB) no way through.
    // COURSEBOOK_FUZZ_BUDGET_MS sets the milliseconds a megabyte begun; 0
    // reports the time of every input.
    QByteArray verdict(qsizetype inputSize) const
    {
#ifdef COURSEBOOK_FUZZ_TIMING
        static const qint64 perMegabyte =
            qEnvironmentVariableIsSet("COURSEBOOK_FUZZ_BUDGET_MS")
                ? qEnvironmentVariableIntValue("COURSEBOOK_FUZZ_BUDGET_MS")
                : 60000;
        const qint64 allowed = 1000000LL * perMegabyte * (inputSize / (1 << 20) + 1);
        if (m_spent > allowed || perMegabyte == 0)
            return "took " + QByteArray::number(m_spent / 1000000) + " ms for " +
                   QByteArray::number(inputSize) + " bytes";
#else
        Q_UNUSED(inputSize);
#endif
        return QByteArray();
    }

private:
    qint64 m_spent = 0;
};

class OpReader
{
public:
    explicit OpReader(QByteArrayView input) : m_input(input) {}

    bool atEnd() const { return m_pos >= m_input.size(); }
    quint8 byte() { return atEnd() ? 0 : quint8(m_input[m_pos++]); }
    QByteArray bytes(int count)
    {
        const qsizetype n = qMin<qsizetype>(count, m_input.size() - m_pos);
        const QByteArray out = m_input.sliced(m_pos, n).toByteArray();
        m_pos += n;
        return out;
    }

private:
    QByteArrayView m_input;
    qsizetype m_pos = 0;
};

// A name from the operation bytes, or one the file holds, as it is, in
// capitals, folded or with blanks around it.
template <typename Names> QByteArray pickName(OpReader &ops, Names names)
{
    const quint8 b = ops.byte();
    if (b < 0x80)
        return ops.bytes(b % 16);
    const QList<QByteArray> known = names();
    if (known.isEmpty())
        return QByteArray();
    const QByteArray name = known[(b & 0x1F) % known.size()];
    switch ((b >> 5) & 3) {
    case 1:
        return IniModel::toCapitals(name);
    case 2:
        return IniModel::fold(name);
    case 3:
        return " " + name + '\t';
    default:
        return name;
    }
}

bool hasLineEnd(QByteArrayView text)
{
    return text.contains('\r') || text.contains('\n');
}

// The bytes of before that a change to after replaced: what lies between
// their common beginning and their common end.
QByteArrayView replacedPart(QByteArrayView before, QByteArrayView after)
{
    const qsizetype limit = qMin(before.size(), after.size());
    qsizetype head = 0;
    while (head < limit && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < limit - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    return before.sliced(head, before.size() - head - tail);
}

bool putFile(const QString &path, QByteArrayView data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(data.data(), data.size()) == data.size();
}

// Lines split at CR LF, CR or LF; the end of the last line adds none.
QList<QByteArray> plainLines(QByteArrayView bytes)
{
    QList<QByteArray> lines;
    QByteArray line;
    bool open = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            lines.append(line);
            line.clear();
            open = false;
        } else {
            line.append(c);
            open = true;
        }
    }
    if (open)
        lines.append(line);
    return lines;
}

QByteArray describe(const BankQuestion &q)
{
    return q.text.toUtf8() + " {" + q.answers.join(QStringLiteral(" ~ ")).toUtf8() + "} " +
           QByteArray::number(q.right);
}

QByteArray bank(BankFormat::Format format, QByteArrayView input)
{
    Budget budget;
    const QByteArray bytes = input.toByteArray();
    const QuestionBank first = budget.run([&] { return BankFormat::read(format, bytes); });
    QList<BankQuestion> kept;
    for (const BankQuestion &q : first.questions) {
        if (q.skipped())
            continue;
        if (q.right < -1 || q.right >= q.answers.size())
            return "a right answer outside the answers";
        kept.append(q);
    }
    if (!first.refusal.isEmpty() && !first.questions.isEmpty())
        return "a refused file still gave questions";

    QList<BankQuestion> written = kept;
    const QByteArray exported = budget.run([&] { return BankFormat::write(format, written); });
    // What the export said it could not carry whole may come back different.
    QList<qsizetype> whole;
    bool lossy = false;
    for (qsizetype i = 0; i < written.size(); ++i) {
        if (written[i].skipped())
            continue;
        whole.append(i);
        lossy = lossy || written[i].losses.size() > kept[i].losses.size();
    }
    const QuestionBank again = budget.run([&] { return BankFormat::read(format, exported); });
    if (!again.refusal.isEmpty())
        return "the export is refused: " + again.refusal.toUtf8();
    // A question the export could not carry whole may come back skipped, so
    // the questions no longer pair up.
    if (lossy)
        return budget.verdict(input.size());
    QList<BankQuestion> back;
    for (const BankQuestion &q : again.questions) {
        if (!q.skipped())
            back.append(q);
    }
    if (back.size() != whole.size())
        return QByteArray::number(whole.size()) + " questions exported, " +
               QByteArray::number(back.size()) + " read back from " + exported.left(300).toHex();
    for (qsizetype n = 0; n < whole.size(); ++n) {
        const BankQuestion &out = written[whole[n]];
        if (back[n].text != out.text || back[n].answers != out.answers ||
            back[n].right != out.right)
            return "question " + QByteArray::number(n + 1) +
                   " reads back changed: " + describe(out) + " / " + describe(back[n]);
    }
    // A second round changes nothing more.
    QList<BankQuestion> second = back;
    if (budget.run([&] { return BankFormat::write(format, second); }) != exported)
        return "a second export differs from the first";
    return budget.verdict(input.size());
}

} // namespace

QByteArray MemoryTargets::iniDocument(QByteArrayView input)
{
    Budget budget;
    OpReader header(input);
    const int opLength = header.byte();
    const QByteArrayView opBytes =
        input.sliced(qMin<qsizetype>(1, input.size()))
            .first(qMin<qsizetype>(opLength, qMax<qsizetype>(0, input.size() - 1)));
    const QByteArray file = input.sliced(qMin<qsizetype>(input.size(), 1 + opLength)).toByteArray();

    IniModel model(file);
    // A write goes to the document of the writes before it, the way one
    // command's writes share one; a removal, and a write whose operation
    // asks for it, to a document of the bytes as they are, the way the
    // platform reads the file again for each.
    std::optional<IniDocument> document(std::in_place, file);
    QByteArray documentStart = file;
    const auto freshDocument = [&](const QByteArray &from) {
        document.emplace(from);
        documentStart = from;
    };
    if (budget.run([&] { return document->toByteArray(); }) != file || document->isModified())
        return "an untouched document gives other bytes";

    QByteArray bytes = file;
    OpReader ops(opBytes);
    for (int step = 1; !ops.atEnd(); ++step) {
        const QByteArray at = "step " + QByteArray::number(step) + ": ";
        const quint8 kind = ops.byte();
        const QByteArray section = pickName(ops, [&] { return model.sectionNames(); });
        switch (kind % 4) {
        case 0: {
            const QByteArray key = pickName(ops, [&] { return model.keyNames(); });
            QByteArray value;
            const bool found =
                budget.run([&] { return IniDocument::find(bytes, section, key, &value); });
            const std::optional<QByteArray> expected = model.value(section, key);
            if (found != expected.has_value() || (found && value != *expected))
                return at + "read " + section.toHex() + "/" + key.toHex() + " gives " +
                       (found ? value.toHex() : "nothing") + ", the rules " +
                       (expected ? expected->toHex() : "nothing");
            const QByteArray whole =
                budget.run([&] { return IniSnapshot(bytes).read(section, key, Marker); });
            if (whole != model.read(section, key, Marker))
                return at + "the whole-file read gives " + whole.toHex();
            break;
        }
        case 1: {
            const QByteArray key = pickName(ops, [&] { return model.keyNames(); });
            QByteArray value = ops.bytes(ops.byte() % 80);
            if (kind & 4)
                value = '"' + value + '"';
            const bool storable = IniDocument::canStore(section, key, value);
            if (storable != IniModel::canStore(section, key, value))
                return at + "the store " + (storable ? "takes" : "refuses") + " " +
                       section.toHex() + "/" + key.toHex() + "=" + value.toHex();
            if (!storable)
                break;
            if (kind & 8)
                freshDocument(bytes);
            budget.run([&] { document->setValue(section, key, value); });
            model.write(section, key, value);
            const QByteArray before = bytes;
            bytes = budget.run([&] { return document->toByteArray(); });
            if (bytes != model.bytes())
                return at + "write " + section.toHex() + "/" + key.toHex() + "=" + value.toHex() +
                       " gives " + bytes.toHex() + ", the rules " + model.bytes().toHex();
            QByteArray back;
            if (!IniDocument::find(bytes, section, key, &back) || back != IniModel::readForm(value))
                return at + "the value written reads back as " + back.toHex();
            if (hasLineEnd(replacedPart(before, bytes)))
                return at + "a write changed bytes beyond its line";
            break;
        }
        case 2: {
            freshDocument(bytes);
            const bool removed = budget.run([&] { return document->removeSection(section); });
            if (removed != model.removeSection(section))
                return at + "removal of " + section.toHex() + (removed ? " done" : " not done");
            bytes = budget.run([&] { return document->toByteArray(); });
            if (bytes != model.bytes())
                return at + "removal of " + section.toHex() + " gives " + bytes.toHex() +
                       ", the rules " + model.bytes().toHex();
            // A removal can bring a CR and an LF together into one line end;
            // the platform's next write reads the file again and sees that.
            freshDocument(bytes);
            break;
        }
        default: {
            const bool has =
                budget.run([&] { return IniDocument::containsSection(bytes, section); });
            if (has != model.hasSection(section))
                return at + "section " + section.toHex() + (has ? " found" : " not found");
            break;
        }
        }
        // The platform saves only a document that says it changed.
        if (bytes != documentStart && !document->isModified())
            return at + "a changed document says it is unchanged";
    }
    return budget.verdict(input.size());
}

QByteArray MemoryTargets::testWhole(QByteArrayView input)
{
    Budget budget;
    const QByteArray name = QByteArrayLiteral("\\whole.ini");
    if (!putFile(Paths::resolve(name), input))
        return "cannot set up the file";
    const IniModel model(input.toByteArray());
    const TestFile whole = budget.run([&] { return TestFile::readWhole(name); });
    const auto expected = [&](const QByteArray &section, const QByteArray &key) {
        return Store::crypt(model.read(section, key, Store::MissingMarker));
    };
    if (budget.run([&] { return whole.countText(); }) != expected("inf", "vsego"))
        return "vsego reads as " + whole.countText().toHex();
    int count = 0;
    try {
        count = whole.count();
        if (count != IntegerText::parse(expected("inf", "vsego")))
            return "the count differs from its text";
    } catch (const RuntimeError &) {
    }
    // Every section the file names, and a few numbers beyond them.
    QSet<int> numbers;
    for (const QByteArray &section : model.sectionNames()) {
        bool number = false;
        const int k = section.toInt(&number);
        if (number)
            numbers.insert(k);
    }
    for (int k = -1; k <= qBound(0, count, 16) + 1; ++k)
        numbers.insert(k);
    const TestFile single = TestFile::atRelativeName(name);
    for (const int k : std::as_const(numbers)) {
        QList<QByteArray> got;
        budget.run([&] {
            got.append(whole.question(k));
            for (int i = 1; i <= 5; ++i)
                got.append(whole.answer(k, i));
            got.append(whole.rightAnswer(k));
        });
        QList<QByteArray> want;
        want.append(expected(QByteArray::number(k), "q"));
        for (int i = 1; i <= 5; ++i)
            want.append(expected(QByteArray::number(k), 'a' + QByteArray::number(i)));
        want.append(expected(QByteArray::number(k), "ap"));
        if (got != want)
            return "question " + QByteArray::number(k) + " read whole differs from the rules";
        if (k == 1 && single.question(1) != got[0])
            return "question 1 read whole differs from its read alone";
    }
    return budget.verdict(input.size());
}

QByteArray MemoryTargets::questionLines(QByteArrayView input)
{
    Budget budget;
    const QByteArray text = input.toByteArray();
    const QList<QByteArray> lines = budget.run([&] { return QuestionSource::split(text); });

    // Ctrl-Z ends the text, LF ends a line, CR is dropped anywhere.
    QList<QByteArray> expected;
    QByteArray line;
    bool open = false;
    for (const char c : text) {
        if (c == QuestionSource::EndOfText)
            break;
        if (c == '\n') {
            expected.append(line);
            line.clear();
            open = false;
            continue;
        }
        open = true;
        if (c != '\r')
            line.append(c);
    }
    if (open)
        expected.append(line);
    if (lines != expected)
        return "the source splits into " + QByteArray::number(lines.size()) + " lines, not " +
               QByteArray::number(expected.size());

    const SourceChecker::Report report = budget.run([&] { return SourceChecker::check(text); });
    const qsizetype allLines = text.count('\n') + 1;
    for (const SourceChecker::Finding &f : report.findings) {
        if (f.line < 0 || f.line > allLines)
            return "a finding names line " + QByteArray::number(f.line);
    }
    const QList<int> unstorable =
        budget.run([&] { return TestConverter().unstorableLines(lines); });
    for (qsizetype i = 0; i < unstorable.size(); ++i) {
        const int n = unstorable[i];
        if (n < 1 || n > lines.size() || (i > 0 && unstorable[i - 1] >= n))
            return "the unstorable lines are out of order or range";
        if (TestConverter::unstorableByte(lines[n - 1]) < 0)
            return "line " + QByteArray::number(n) + " is called unstorable but is not";
    }
    return budget.verdict(input.size());
}

QByteArray MemoryTargets::settingsParse(QByteArrayView input)
{
    Budget budget;
    const QByteArray line = input.toByteArray();
    const AdminSettings s = budget.run([&] { return AdminSettings::parse(line); });
    const QList<QByteArray> fields = line.split('|');
    if (s.login != fields.value(0) || s.password != fields.value(1) || s.logName != fields.value(2))
        return "the fields are not those between the bars";
    const AdminSettings again = AdminSettings::parse(s.line());
    if (again.login != s.login || again.password != s.password || again.logName != s.logName)
        return "the line made of the fields reads back changed";
    return budget.verdict(input.size());
}

QByteArray MemoryTargets::userNames(QByteArrayView input)
{
    Budget budget;
    if (!putFile(Paths::resolve(UserList::FileName), input))
        return "cannot set up the file";
    try {
        const QList<QByteArray> names = budget.run([] { return UserList::load(); });
        if (names != plainLines(input))
            return "the names are not the lines of the file";
    } catch (const RuntimeError &e) {
        return "the list was refused: " + e.message().toUtf8();
    }
    return budget.verdict(input.size());
}

QByteArray MemoryTargets::aiken(QByteArrayView input)
{
    return bank(BankFormat::Format::Aiken, input);
}

QByteArray MemoryTargets::gift(QByteArrayView input)
{
    return bank(BankFormat::Format::Gift, input);
}

QByteArray MemoryTargets::quizXml(QByteArrayView input)
{
    return bank(BankFormat::Format::QuizXml, input);
}

QByteArray MemoryTargets::testLog(QByteArrayView input)
{
    Budget budget;
    QSet<QByteArray> known;
    QByteArrayView log = input;
    if (const qsizetype nul = input.indexOf('\0'); nul >= 0) {
        for (const QByteArray &name : plainLines(input.first(nul)))
            known.insert(CodePage::fold(name));
        log = input.sliced(nul + 1);
    }
    const QByteArray bytes = log.toByteArray();
    const TestLogReader reader = budget.run([&] { return TestLogReader::parse(bytes, known); });
    const QList<QByteArray> lines = plainLines(log);
    if (reader.lines != lines.size())
        return QByteArray::number(reader.lines) + " lines counted, " +
               QByteArray::number(lines.size()) + " in the log";

    // Each line is a run or a bad line; a run without a day is both.
    QList<int> seen(lines.size(), 0);
    for (const TestLogReader::Run &run : reader.runs) {
        if (run.line < 1 || run.line > lines.size())
            return "a run names line " + QByteArray::number(run.line);
        ++seen[run.line - 1];
        const QByteArray &text = lines[run.line - 1];
        const QByteArray tail = " | " + run.dateText + " | ";
        if (run.test < 1 || run.test > 10 || run.grade < 1 || run.grade > 5)
            return "a run with test " + QByteArray::number(run.test) + " grade " +
                   QByteArray::number(run.grade);
        if (!text.startsWith(run.user + " | ") ||
            !text.endsWith(" | " + QByteArray::number(run.grade)))
            return "a run's user or grade is not that of its line";
        const qsizetype testField = text.size() - 4 - 5 - (run.test == 10 ? 1 : 0);
        if (text.mid(testField - tail.size(), tail.size()) != tail ||
            CodePage::fold(text.mid(testField, 4)) != "test")
            return "a run's date or test is not that of its line";
        if (run.date.isValid()) {
            const QByteArray shown = LogDate::show(run.date).toLatin1();
            if (LogDate::parse(shown) != run.date)
                return "the day " + shown + " reads back as another";
        }
    }
    // A bad line is kept only as far as the report shows it.
    for (const TestLogReader::BadLine &bad : reader.bad) {
        if (bad.line < 1 || bad.line > lines.size() ||
            bad.text != TextLines::kept(lines[bad.line - 1]))
            return "a bad line is not the start of the line it names";
        if (bad.fault != TestLogReader::Fault::BadDate)
            ++seen[bad.line - 1];
    }
    for (qsizetype i = 0; i < seen.size(); ++i) {
        if (seen[i] != 1)
            return "line " + QByteArray::number(i + 1) + " counted " + QByteArray::number(seen[i]) +
                   " times";
    }
    return budget.verdict(input.size());
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClassSettings.h"
#include "CourseStructure.h"
#include "Refusal.h"
#include "StoredTest.h"
#include "UserChange.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class FolderAccess;

// Where a class's records live: the registered users with their passwords
// and grades, the user list, the removed users kept for a restore, the test
// log with the answer record beside it, the administrator's settings, and
// the tests a run reads. The program, the tool and the report ask the store
// and never open a record themselves; the store is made once where the class
// is chosen and handed to whoever needs it.
//
// Every operation is a whole domain operation: what must hold together (a
// check and its write, the user's record and the list) the store does under
// one hold of whatever it locks, so of several programs at work on one class
// each sees the others' changes whole. A foreseen refusal comes back as a
// result (a Refusal, a UserChange's problem, false, nothing) and changes
// nothing; a failure of the store itself (a record that cannot be read or
// written) is thrown as RuntimeError, in the words the user is shown, and a
// write that fails lands nothing, unless the operation says which of its
// steps stay done. Names and texts are Windows-1251 bytes.
class ClassStore
{
public:
    // Grades kept per user: test1 … test12; the first RunTests, the tests a
    // course's menu can hold, can be run.
    static constexpr int TestCount = 12;
    static constexpr int RunTests = CourseStructure::MaxTests;
    using Scores = std::array<quint8, TestCount>;
    // What separates the fields of a log line and of an answer record line.
    static constexpr QByteArrayView FieldSeparator{" | "};
    // The name of test k: "test1" … "test12".
    static QByteArray testName(int k) { return "test" + QByteArray::number(k); }

    struct Registration
    {
        Refusal refusal = Refusal::None;
        // The user list as it stands after the registration.
        QList<QByteArray> list;
    };

    // A finished run as the store records it: its answers in the answer
    // record and its line in the test log.
    struct FinishedRun
    {
        QByteArray user;
        QDateTime when;
        QByteArray testName; // "test1" … as the run was started
        int grade = 0;       // 1 … 5
        // The first 8 lower-case hex digits of SHA-256 over the test as the
        // run began (testVersion()).
        QByteArray version;
        QByteArray chosen; // one digit 1 … 5 per question answered
        QByteArray right;  // the right answer's digit per question, 0 where none counts
    };

    // A user's record as stored, for the report and the tool's user list.
    struct StoredUser
    {
        QByteArray name; // the record's own spelling
        // test1 … test12 as a read gives them; `missing` where absent.
        std::array<QByteArray, TestCount> grades;
    };

    // A finding the store makes about its own records, which a person who
    // edits them by hand may leave: a second record whose name differs only
    // in letter case, a record that another hides.
    struct Finding
    {
        enum class Kind
        {
            CaseTwin,         // a second record whose name differs only in letter case
            OpenHeader,       // a record's name that runs on and hides the records after it
            NulByte,          // a record after a NUL byte, which the Windows program stops at
            DuplicateSection, // a record a second time under the same name; the first counts
            DuplicateKey,     // a value a second time in one record; the first counts
        };
        Kind kind = Kind::CaseTwin;
        QByteArray user;
        qsizetype line = 0; // where the store can say, from 1
        QString text;       // in Russian, naming the record
    };

    // The users' side of the class report: the list and the records, each
    // as stored, with what could not be read.
    struct UsersInput
    {
        QList<QByteArray> list;    // in order, as stored
        QList<StoredUser> records; // of names equal without regard to letter case the first
        QByteArray missing;        // what a read of an absent grade gives
        QStringList failures;      // parts that could not be read, in the user's words
        QList<Finding> findings;
    };

    // A record kept line by line (the test log, the answer record), for the
    // report and the log view.
    struct Lines
    {
        QString shown;        // how the messages name it; empty when the settings name none
        QString failure;      // why it could not be read, in the user's words; empty when read
        bool missing = false; // it is named but not there: no run has finished yet
        QByteArray text;      // its lines, each ending CR LF, LF or CR
    };

    // A user's record kept by a removal, for the choice of which to restore.
    struct Removal
    {
        QDateTime when; // invalid where the store cannot say
        // The grades test1 … test(RunTests) as kept; 0 where none is.
        QList<int> grades;
        // "YYYY-MM-DD HH:MM:SS", or "?" where the time is not known: what
        // restore()'s `removed` picks by.
        QByteArray whenText() const;
    };

    // A grade the teacher changes (a run graded again, a grade set by hand).
    struct GradeWrite
    {
        QByteArray user;
        int test = 0;      // 1 … RunTests
        int expected = -1; // stored only while the grade is still this; -1: whatever it is
        int grade = 0;
    };

    // A copy of one record for the archive: under the name the archive
    // keeps it by, its bytes as the store holds them.
    struct RecordCopy
    {
        QString name;
        QByteArray bytes;
    };

    virtual ~ClassStore();

    // --- The users

    // Checks the name and the password against the records and registers
    // the user under one hold: password, test1 = 1, test2 … test12 = 0 and
    // the name at the end of the user list. Of several programs registering
    // one name exactly one succeeds. adminLogin is the administrator's login,
    // which no user may take. A list that cannot be written takes the record
    // away again, so a failure leaves neither half.
    virtual Registration registerUser(const QByteArray &name, const QByteArray &password,
                                      const QByteArray &adminLogin) = 0;
    // The same for a name and password as a person typed them: letters the
    // code page cannot spell are refused before anything else.
    Registration registerTyped(const QString &name, const QString &password,
                               const QByteArray &adminLogin);
    // The refusal of typed letters the code page cannot spell, the name's
    // first; either may be left empty.
    static Refusal spellingRefusal(const QString &name, const QString &password);

    // The stored password, or nothing when the name has none.
    virtual std::optional<QByteArray> storedPassword(const QByteArray &name) const = 0;
    // Whether the password is the user's; a store that keeps no password
    // (a server keeps a hash) asks where it is kept.
    virtual bool passwordMatches(const QByteArray &name, const QByteArray &password) const;
    // Whether the store checks the administrator's log-in itself (a server
    // keeps only the password's hash, and gives the user list and the
    // settings only after that log-in), rather than the settings read at
    // start giving the password to compare with.
    virtual bool checksAdministrator() const { return false; }
    // Where it does: whether the last passwordMatches() that held was the
    // administrator's.
    virtual bool administratorLoggedIn() const { return false; }

    // The grade of test k (1 … TestCount) as stored, read for that one value;
    // `missing` when absent.
    virtual QByteArray gradeText(const QByteArray &name, int k) const = 0;
    // The grade of test k as a whole number's low eight bits; a value that is
    // not a whole number throws "'%s' is not a valid integer value".
    virtual quint8 grade(const QByteArray &name, int k) const = 0;
    // What gradeText() and the records give for an absent value.
    virtual QByteArray missing() const = 0;

    // test1 … test12 from the table, in one write, only while the user is
    // still registered: a user removed meanwhile must not come back without
    // a password. Returns whether they were written.
    virtual bool writeScores(const QByteArray &name, const Scores &scores) = 0;

    // Keeps the user's record among the removed users (for restore()), then
    // removes it and the first list entry equal to the name without regard
    // to letter case; returns the list as it now stands. A record that
    // cannot be kept removes nothing.
    virtual QList<QByteArray> removeUser(const QByteArray &name) = 0;

    // A new password for a registered user (any letter case of the name);
    // the grades stay.
    virtual UserChange setPassword(const QByteArray &name, const QByteArray &password) = 0;
    UserChange setTypedPassword(const QByteArray &name, const QString &password);

    // A new name, checked as a registration checks it except that the user
    // may take another letter case of the same name. The record, the list
    // entry, and every line of the test log and of the answer record that
    // names the user follow it; the counts of those lines come back.
    virtual UserChange rename(const QByteArray &from, const QByteArray &to,
                              const QByteArray &adminLogin) = 0;
    UserChange renameTyped(const QByteArray &from, const QString &to, const QByteArray &adminLogin);

    // A record removed under the name comes back as it was, and the name
    // into the list. Where several were kept, `removed` picks one by the
    // start of its whenText() ("2026-12-01" or "2026-12-01 10:15:00"; empty
    // picks the only one); none is picked silently (ManyKept, NoSuchRemoval).
    // Refused when the name is the administrator's; where it is registered
    // again, `over` says what to do (Ask: RegisteredAgain; Replace: the
    // current record is removed in turn, kept as removeUser() keeps it;
    // KeepBest: the current record stays with the better grade of each test).
    virtual UserChange restore(const QByteArray &name, const QByteArray &adminLogin,
                               const QByteArray &removed, UserChange::Over over) = 0;
    // Every record kept under the name by a removal, in any letter case,
    // oldest first; empty when none is.
    virtual QList<Removal> removals(const QByteArray &name) const = 0;

    // Whether a user of the name (in any letter case) is registered.
    virtual bool isRegistered(const QByteArray &name) const = 0;
    // The user list in order of registration; empty before the first
    // registration. Throws when it cannot be read.
    virtual QList<QByteArray> users() const = 0;
    // Whether the list holds the name in any letter case.
    bool isListed(const QByteArray &name) const;
    // Every registered user's record in stored order; empty for a new class.
    // Throws when the records cannot be read.
    virtual QList<StoredUser> userRecords() const = 0;

    // The Russian text of a refusal; of a failed change, naming the user as
    // typed.
    virtual QByteArray refusalText(Refusal refusal) const = 0;
    QByteArray problemText(const UserChange &change, const QByteArray &typedName) const;

    // --- The runs

    // Records a finished run: its answers first, then its line in the test
    // log, so that a log line always has its answers; a refused answer record
    // stops it as a refused log line does, and an answer record written
    // before a refused log line stays. Returns the log's line as written.
    virtual QByteArray appendRun(const FinishedRun &run) = 0;

    // The test log's text for the log view. Throws, naming the log, when the
    // settings name none or it cannot be read.
    virtual QByteArray logText() const = 0;

    // --- The class report's inputs, each read once; nothing is thrown, what
    // cannot be read is said in the result.
    virtual UsersInput usersInput() const = 0;
    virtual Lines logLines() const = 0;
    // The answer record; `shown` empty when there is no log for it.
    virtual Lines answerLines() const = 0;

    // The record of the teacher's changes to the grades beside the log, as
    // the settings name it now; `shown` empty when they name no log, nothing
    // failed and `missing` when no change was recorded yet.
    virtual Lines changeLines() const = 0;
    // Appends the lines (each ending CR LF) to the record of changes and
    // then stores the grades, under one hold of the users' records: each
    // only while its user is registered and, where it says, the grade is
    // still the one expected, so that a run finished meanwhile keeps its
    // own. Returns how many grades were stored. Throws RuntimeError when the
    // kept settings name no log or a record cannot be written; the lines land
    // before any grade, so no grade changes without its line.
    virtual int recordGradeChanges(const QByteArray &lines, const QList<GradeWrite> &writes) = 0;

    // --- The settings

    // Reads the settings as they stand, and from then on keeps the log
    // under the name they give: the program reads them once, at its start,
    // and keeps them for the run, a save included. Before the first read the
    // store keeps no log and every run's end is refused. Throws RuntimeError
    // when they cannot be read, the kept log left as it was.
    virtual ClassSettings readSettings() = 0;
    // The settings as they stand, the kept log left as it is. Throws
    // RuntimeError when they cannot be read.
    virtual ClassSettings settings() const = 0;
    // Replaces the settings whole, or changes nothing and throws.
    virtual void writeSettings(const ClassSettings &settings) = 0;
    // Why the store cannot keep its log under the name, worded for the
    // settings panel; empty when it can.
    virtual QByteArray logNameRefusal(const QByteArray &logName) const = 0;

    // --- The archive

    // Under the hold of every record: hands keep a copy of each record there
    // is, then empties them all. keep may read the store (the report). When
    // a record cannot be emptied, or keep throws, nothing is emptied. Returns
    // how the emptied records are named in messages.
    virtual QStringList archive(const std::function<void(const QList<RecordCopy> &)> &keep) = 0;

    // --- The tests

    // Why a run of the test cannot begin, worded for the box that says so;
    // empty when it can.
    virtual QByteArray startRefusal(const QByteArray &testName) const = 0;
    // What keeps the test from being read, in Russian, for a message that
    // names the test itself; empty when it can be read.
    virtual QString testFault(const QByteArray &testName) const = 0;
    // The test read value by value, as a run reads it.
    virtual std::unique_ptr<StoredTest> test(const QByteArray &testName) const = 0;
    // The version a run records: the first 8 lower-case hex digits of
    // SHA-256 over the test as it stands (over nothing when it cannot be
    // read).
    virtual QByteArray testVersion(const QByteArray &testName) const = 0;
    // The test read once, as it stands now, for the review and the report,
    // with its version; nullptr when it cannot be read.
    virtual std::shared_ptr<const StoredTest> testAsItStands(const QByteArray &testName,
                                                             QByteArray *version) const = 0;

    // --- What only some stores can do

    // The course folder's files, for what only a folder has; nullptr for a
    // store without files.
    virtual const FolderAccess *folderAccess() const { return nullptr; }
};

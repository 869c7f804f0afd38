#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A student's road through the program with the keyboard alone, read back
through the desktop's accessibility tree (AT-SPI) as a screen reader reads it.

The program runs on a private X server (Xvfb) with a private D-Bus session and
its own accessibility bus. Keys go in through the X server's test extension
(xdotool), as a keyboard would type them; everything the test checks on
screen it reads through AT-SPI. The road: register, log in with Return in the
password field, open "Тестирование №1" from the menu bar with F10 and the
arrow keys, answer ten questions with a known number right, read the grade on
the progress view, "<<Назад", close through the confirmation box. Then the
grade and the files the program left are checked, and no control of the
login, test, progress and settings panels may have an empty name.

With --server-fixture and --server-state the same road runs on a results
server of the server fixture (tests/server/server-fixture), in a database of
its own: test 1 published there by the administrator, the course folder
read-only to the program, the server away for a while mid-run. Then the
grade and the run are checked on the server, and the course folder must be
as it was: no record written into it.

Exit status 77 (skipped, with the reason on the output) where the X server,
the bus or the tools cannot run here; where CI=true, as the continuous
integration runs the test command, status 1 (failed) with the reason instead,
since a proof that silently does not run proves nothing.
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse

SKIPPED = 77
KEY = 0x1E  # the store's scrambling key
RIGHT_COUNT = 7  # of ten: a share of 70 per cent, grade 4
EXPECTED_GRADE = 4
STUDENT = "student"
PASSWORD = "pass123"


class Skip(Exception):
    pass


class Failure(Exception):
    pass


def log(text):
    print(text, flush=True)


def cannot_start(reason):
    """The exit status for a real component that cannot start here."""
    if os.environ.get("CI", "").strip().lower() in ("true", "1", "yes"):
        log("FAILED: cannot start, and CI=true requires every real component to run: "
            + reason)
        return 1
    log("SKIPPED: " + reason)
    return SKIPPED


def wait_for(what, check, timeout=20.0, interval=0.1):
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        try:
            last = check()
        except Exception:  # the tree changes under the walk
            last = None
        if last:
            return last
        time.sleep(interval)
    raise Failure("timed out waiting for " + what)


class Processes:
    """Everything the test starts, stopped in reverse order, also on failure."""

    def __init__(self):
        self.started = []

    def start(self, args, **kwargs):
        p = subprocess.Popen(args, start_new_session=True, **kwargs)
        self.started.append(p)
        return p

    def stop_all(self):
        for p in reversed(self.started):
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for p in reversed(self.started):
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
                p.wait()


def start_x_server(procs, env):
    read_end, write_end = os.pipe()
    procs.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                 "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                env=env)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + 15
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    if not number.strip():
        raise Skip("the X server (Xvfb) did not start")
    return ":" + number.decode().strip()


def start_session_bus(procs, env):
    p = procs.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env)
    address = p.stdout.readline().decode().strip()
    if not address:
        raise Skip("the D-Bus session bus did not start")
    return address


def start_accessibility_bus(procs, env):
    launcher = "/usr/libexec/at-spi-bus-launcher"
    if not os.access(launcher, os.X_OK):
        raise Skip("at-spi2-core is not installed (no " + launcher + ")")
    procs.start([launcher, "--launch-immediately"], stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL, env=env)
    ask = ["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply",
           "/org/a11y/bus", "org.a11y.Bus.GetAddress"]
    try:
        wait_for("the AT-SPI bus",
                 lambda: subprocess.run(ask, env=env, capture_output=True).returncode == 0,
                 timeout=15)
    except Failure:
        raise Skip("the AT-SPI bus did not start")


def write_course(source, folder, admin):
    shutil.copytree(source, folder)
    tests = os.path.join(folder, "data", "tests")
    os.makedirs(tests, exist_ok=True)
    with open(os.path.join(folder, "data", "info", "tumb.db"), "wb") as f:
        f.write(b"admin|secret|log.txt\r\n")
    questions = os.path.join(source, "sources", "test1.txt")
    # The administrator's login of the settings above, readable by us alone.
    login = os.path.join(os.path.dirname(folder), "login")
    with open(os.open(login, os.O_WRONLY | os.O_CREAT, 0o600), "w") as f:
        f.write("admin\nsecret\n")
    subprocess.run([admin, "--admin-login", login, "convert", questions, "test1", "--into",
                    tests], check=True, capture_output=True)
    rights = []
    with open(questions, "rb") as f:
        for line in f.read().decode("cp1251").splitlines():
            m = re.match(r"^([A-E])\)", line)
            if m and line.rstrip().endswith("*"):
                rights.append(m.group(1))
    return rights


class Tree:
    """Reading the program's accessibility tree."""

    def __init__(self, pyatspi, pid):
        self.a = pyatspi
        self.pid = pid

    def app(self):
        desktop = self.a.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.get_process_id() == self.pid:
                    return app
            except Exception:
                continue
        return None

    def states(self, node):
        return node.getState()

    def showing(self, node):
        return self.states(node).contains(self.a.STATE_SHOWING)

    def walk(self, node, only_showing=True, into_pages=False, depth=0, into_menus=False):
        """Every node below, skipping hidden branches and, unless asked, the
        menus and the pages of the HTML view."""
        if node is None or depth > 40:
            return
        yield node
        role = node.getRole()
        if role in (self.a.ROLE_MENU_BAR, self.a.ROLE_MENU) and not into_menus:
            return
        if role == self.a.ROLE_DOCUMENT_WEB and not into_pages:
            return
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is None:
                continue
            if only_showing and not self.showing(child):
                continue
            yield from self.walk(child, only_showing, into_pages, depth + 1, into_menus)

    def focused(self):
        app = self.app()
        if app is None:
            return None
        for node in self.walk(app):
            if self.states(node).contains(self.a.STATE_FOCUSED):
                return node
        return None

    def focused_is(self, role, name=None):
        node = self.focused()
        if node is None or node.getRole() != role:
            return None
        if name is not None and node.name != name:
            return None
        return node

    def find(self, predicate, only_showing=True, into_pages=False, root=None):
        for node in self.walk(root or self.app(), only_showing, into_pages):
            if predicate(node):
                return node
        return None

    def label(self, text, only_showing=True):
        return self.find(lambda n: n.getRole() == self.a.ROLE_LABEL and n.name == text,
                         only_showing)

    def panel_of(self, label_text):
        label = self.label(label_text, only_showing=False)
        if label is None:
            raise Failure("no label " + label_text)
        return label.parent

    def unnamed_controls(self, panel):
        """The controls a keyboard reaches below the panel that have no name."""
        unnamed = []
        for node in self.walk(panel, only_showing=False):
            if node is panel:
                continue
            if self.states(node).contains(self.a.STATE_FOCUSABLE) and not node.name.strip():
                unnamed.append("%s (%s)" % (node.getRoleName(), node.description))
        return unnamed

    def extents(self, node):
        box = node.queryComponent().getExtents(self.a.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height


def keys(env, *names):
    subprocess.run(["xdotool", "key", "--delay", "60"] + list(names), env=env, check=True)


def type_text(env, text):
    subprocess.run(["xdotool", "type", "--delay", "40", text], env=env, check=True)


def focus_newest_window(env, pid, known):
    """The X server runs no window manager, so the test gives the input focus
    to a newly shown window of the program as a window manager would. The
    windows shown beside it (the toolkit's own, without a title) are known
    from then on: a message that comes later, as one after a server's reply,
    is the next new one."""

    def newest():
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), ""],
                             env=env, capture_output=True, text=True).stdout.split()
        fresh = [w for w in out if w not in known]
        return (fresh[-1], out) if fresh else None

    window, shown = wait_for("a new window of the program", newest, timeout=30)
    known.update(shown)
    subprocess.run(["xdotool", "windowfocus", "--sync", window], env=env, check=True)
    return window


class Server:
    """A database of the road's own on the server fixture's cluster, the class
    set up in it as the teacher would: the settings, test 1 published."""

    def __init__(self, fixture, state_path):
        try:
            with open(state_path) as f:
                self.state = dict(line.split("=", 1) for line in f.read().splitlines()
                                  if "=" in line)
        except OSError:
            raise Skip("the server fixture left no state in " + state_path)
        if "port" not in self.state:
            raise Skip("no database server: " + self.state.get("skip", "the state names none"))
        self.database = "cb_keyboard_%d" % os.getpid()
        made = subprocess.run([fixture, "newdb", state_path, self.database], capture_output=True,
                              text=True)
        if made.returncode != 0:
            raise Failure("no database from the template: " + made.stderr)
        s = self.state
        self.uri = "postgresql://%s:%s@127.0.0.1:%s/%s?sslmode=verify-full&sslrootcert=%s" % (
            s["lab_role"], s["lab_password"], s["port"], self.database,
            urllib.parse.quote(s["ca"], safe=""))

    def sql(self, script, database=None):
        """The superuser's script through the socket: what it printed."""
        s = self.state
        run = subprocess.run([s["bin"] + "/psql", "-X", "-q", "-At", "-v", "ON_ERROR_STOP=1",
                              "-h", s["socket"], "-p", s["port"], "-U", "postgres",
                              "-d", database or self.database], input=script, capture_output=True, text=True)
        if run.returncode != 0:
            raise Failure("psql: " + run.stderr)
        return run.stdout.strip()

    def set_up(self, admin, course):
        """The settings, and test 1 moved from the folder onto the server."""
        self.sql("SELECT cb_private.init_settings('admin', 'secret', 'log.txt');")
        test = os.path.join(course, "data", "tests", "test1.ini")
        published = os.path.join(os.path.dirname(course), "test1.ini")
        shutil.move(test, published)
        login = os.path.join(os.path.dirname(course), "login")
        subprocess.run([admin, "--admin-login", login, "server", "publish", "test1", published,
                        "--server", self.uri], check=True, capture_output=True)

    def reachable(self, allowed):
        """Lets the program in, or ends its connections and lets none in, as
        a server going down would; from another database, since this one
        refuses everybody while closed."""
        self.sql('ALTER DATABASE "%s" ALLOW_CONNECTIONS %s;' % (self.database, allowed),
                 "postgres")
        ended = self.sql("SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE "
                         "datname = '%s' AND usename = '%s';"
                         % (self.database, self.state["lab_role"]), "postgres")
        if not allowed and ended == "0":
            raise Failure("the program holds no connection to the server mid-run")

    def check(self, chosen):
        rows = self.sql(
            "SELECT u.grades[1], r.grade, r.right_count, string_agg(a.digit::text, '' ORDER BY "
            "a.number) FROM cb_private.users u JOIN cb_private.runs r ON r.user_id = u.id "
            "LEFT JOIN cb_private.answers a ON a.run_id = r.id WHERE u.name = '%s' "
            "AND r.finished IS NOT NULL GROUP BY u.id, r.id;" % STUDENT)
        expected = "%d|%d|%d|%s" % (EXPECTED_GRADE, EXPECTED_GRADE, RIGHT_COUNT, chosen)
        if rows != expected:
            raise Failure("the server holds the run %r, not %r" % (rows, expected))
        lines = self.sql("SELECT user_name, test, grade FROM cb_private.log;")
        if lines != "%s|1|%d" % (STUDENT, EXPECTED_GRADE):
            raise Failure("the server's test log holds %r" % lines)
        log("the server holds the student's run %s, grade %d, and its log line"
            % (chosen, EXPECTED_GRADE))


def read_only(course, command):
    """The command with the course folder read-only to it, as a lab's folder
    is to a student: a read-only bind mount of its own where this is root
    (whom no file mode stops), the files' modes otherwise."""
    if os.geteuid() != 0:
        subprocess.run(["chmod", "-R", "a-w", course], check=True)
        return command
    return ["unshare", "--mount", "--propagation", "private", "sh", "-c",
            'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" && shift && exec "$@"',
            "sh", course] + command


def files_of(folder):
    return {os.path.relpath(os.path.join(d, f), folder):
            (lambda st: (st.st_size, st.st_mtime_ns))(os.stat(os.path.join(d, f)))
            for d, _, names in os.walk(folder) for f in names}


def road(args, env, course, rights, procs, server=None):
    import pyatspi  # after the bus address is in the environment

    command = [args.program, course]
    if server is not None:
        command = read_only(course, [args.program, "--server", server.uri, course])
    program = procs.start(command, env=env, stdout=open(
        os.path.join(course, "..", "program.log"), "wb"), stderr=subprocess.STDOUT)
    tree = Tree(pyatspi, program.pid)
    a = pyatspi
    known = set()

    wait_for("the program on the accessibility bus", tree.app, timeout=60)
    # The title page closes by itself; then the main window is there.
    wait_for("the login panel", lambda: tree.label("Регистрация пользователя"), timeout=60)
    main_window = focus_newest_window(env, program.pid, known)

    # Every panel's controls are named, hidden panels included.
    for heading in ("Регистрация пользователя", "Вопрос:",
                    "Информация об успеваемости пользователя", "Введите логин администратора:"):
        unnamed = tree.unnamed_controls(tree.panel_of(heading))
        if unnamed:
            raise Failure("controls without a name on the panel of \"%s\": %s"
                          % (heading, ", ".join(unnamed)))
    log("every control of the login, test, progress and settings panels is named")

    wait_for("focus in the name field", lambda: tree.focused_is(a.ROLE_TEXT, "Пользователь:"))
    type_text(env, STUDENT)
    keys(env, "Tab")
    wait_for("focus in the password field",
             lambda: tree.focused_is(a.ROLE_PASSWORD_TEXT, "Пароль:")
             or tree.focused_is(a.ROLE_TEXT, "Пароль:"))
    type_text(env, PASSWORD)
    keys(env, "Tab", "Tab")
    wait_for("focus on \"Новый пользователь\"",
             lambda: tree.focused_is(a.ROLE_PUSH_BUTTON, "Новый пользователь"))
    keys(env, "space")
    box = focus_newest_window(env, program.pid, known)
    wait_for("the registration message",
             lambda: tree.find(lambda n: n.getRole() == a.ROLE_LABEL
                               and n.name.startswith("Пользователь зарегистрирован")))
    keys(env, "Return")
    wait_for("the message closed", lambda: tree.find(
        lambda n: n.name.startswith("Пользователь зарегистрирован")) is None)
    subprocess.run(["xdotool", "windowfocus", "--sync", main_window], env=env, check=True)
    log("registered with Space on \"Новый пользователь\"")

    wait_for("focus back on \"Новый пользователь\"",
             lambda: tree.focused_is(a.ROLE_PUSH_BUTTON, "Новый пользователь"))
    keys(env, "shift+Tab", "shift+Tab")
    wait_for("focus in the password field again",
             lambda: tree.focused_is(a.ROLE_PASSWORD_TEXT, "Пароль:")
             or tree.focused_is(a.ROLE_TEXT, "Пароль:"))
    keys(env, "Return")
    wait_for("the course page after login",
             lambda: tree.label("Регистрация пользователя") is None)
    log("logged in with Return in the password field")

    # The start page is read: the HTML view's document has content.
    def page_nodes():
        doc = tree.find(lambda n: n.getRole() == a.ROLE_DOCUMENT_WEB)
        if doc is None:
            return 0
        count = sum(1 for _ in tree.walk(doc, into_pages=True))
        return count if count > 10 else 0

    pages = wait_for("the start page in the accessibility tree", page_nodes, timeout=30)
    log("the start page gives %d nodes to a screen reader" % pages)

    # F10, then down into "Содержание" to "Тестирование №1".
    keys(env, "F10")
    for _ in range(6):
        item = menu_selection(tree)
        if item is not None and item.name == "Тестирование №1":
            break
        keys(env, "Down")
        time.sleep(0.3)
    wait_for("\"Тестирование №1\" selected", lambda: (
        lambda i: i if i is not None and i.name == "Тестирование №1" else None)(
            menu_selection(tree)), timeout=5)
    keys(env, "Return")

    # Ten questions: the first seven with the right letter, the rest wrong.
    letters = "ABCDE"
    given = ""
    for k in range(1, 11):
        question = wait_for("question %d" % k, lambda: tree.find(
            lambda n: n.getRole() == a.ROLE_TEXT and n.name == "Вопрос %d из 10" % k))
        first = wait_for("focus on the first answer of question %d" % k,
                         lambda: tree.focused_is(a.ROLE_RADIO_BUTTON))
        if not first.name.startswith("A)"):
            raise Failure("question %d begins with focus on %r" % (k, first.name))
        panel = first.parent
        marked = [panel.getChildAtIndex(i).name for i in range(panel.childCount)
                  if panel.getChildAtIndex(i).getState().contains(a.STATE_CHECKED)]
        if marked:
            raise Failure("question %d starts with %r marked" % (k, marked))
        right = rights[k - 1]
        target = right if k <= RIGHT_COUNT else letters[(letters.index(right) + 1) % 5]
        # The arrows move the mark along; Space marks the first answer,
        # which no arrow reached.
        for _ in range(letters.index(target)):
            keys(env, "Down")
        if target == "A":
            keys(env, "space")
        chosen = wait_for("answer %s focused" % target, lambda: (
            lambda n: n if n is not None and n.name.startswith(target + ")")
            and n.getState().contains(a.STATE_CHECKED) else None)(
                tree.focused_is(a.ROLE_RADIO_BUTTON)))
        given += str(letters.index(target) + 1)
        if server is not None and k == 5:
            server.reachable(False)
        keys(env, "KP_Enter" if k % 2 else "Return")
        if server is not None and k == 5:
            # Told on the panel, in words a screen reader reads.
            for note, allowed in (("будут отправлены", True), ("восстановлена", None)):
                wait_for("the note \"%s\"" % note, lambda: tree.find(
                    lambda n: n.getRole() == a.ROLE_LABEL and note in n.name))
                if allowed:
                    server.reachable(True)
            log("told through the accessibility tree that the server was away, then back")
        if k < 10:
            wait_for("question %d gone" % k, lambda: tree.find(
                lambda n: n.getRole() == a.ROLE_TEXT and n.name == "Вопрос %d из 10" % k) is None)
    log("answered ten questions with the arrow keys and Enter, %d right" % RIGHT_COUNT)

    # The progress view: the grade in the row of test 1, focus on "<<Назад".
    test_row = wait_for("the progress view", lambda: tree.label("Тест №1"))
    back = wait_for("focus on \"<<Назад\"", lambda: tree.focused_is(a.ROLE_PUSH_BUTTON, "<<Назад"))
    _, row_y, _, row_h = tree.extents(test_row)
    grades = [n for n in tree.walk(test_row.parent)
              if n.getRole() == a.ROLE_LABEL and n.name.isdigit()
              and abs(tree.extents(n)[1] - row_y) < row_h]
    if [g.name for g in grades] != [str(EXPECTED_GRADE)]:
        raise Failure("the row of test 1 shows %r, not %d" % ([g.name for g in grades],
                                                              EXPECTED_GRADE))
    log("the progress view reads grade %d for test 1" % EXPECTED_GRADE)
    if args.screenshots and shutil.which("import"):
        os.makedirs(args.screenshots, exist_ok=True)
        subprocess.run(["import", "-window", "root", os.path.join(
            args.screenshots, "keyboard_road_progress.png")], env=env, check=True)
    keys(env, "Return")
    wait_for("the course page again", lambda: tree.label("Тест №1") is None)
    log("\"<<Назад\" pressed with Return")

    # Closing: F10, along the menu bar to "Выход", Return, then OK.
    keys(env, "F10")
    for _ in range(20):
        item = menu_selection(tree)
        if item is not None and item.name == "Выход":
            break
        keys(env, "Left")
        time.sleep(0.2)
    keys(env, "Return")
    focus_newest_window(env, program.pid, known)
    wait_for("the confirmation box", lambda: tree.find(
        lambda n: n.name == "Вы действительно хотите выйти из программы?"))
    keys(env, "Return")
    try:
        code = program.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end after the confirmation")
    if code != 0:
        raise Failure("the program ended with status %d" % code)
    log("closed through the confirmation box")
    return given


def menu_selection(tree):
    """The menu entry the keyboard is on: the innermost focused entry, the
    group on the menu bar while its list is closed."""
    a = tree.a
    found = None
    for node in tree.walk(tree.app(), only_showing=False, into_menus=True):
        if node.getRole() in (a.ROLE_MENU_ITEM, a.ROLE_MENU) and tree.showing(node) \
                and node.getState().contains(a.STATE_FOCUSED):
            found = node
    return found


def check_files(course, rights):
    users = open(os.path.join(course, "users"), "rb").read().decode("cp1251").split()
    if STUDENT not in users:
        raise Failure("the list file does not name the student: %r" % users)
    section = None
    grades = {}
    for line in open(os.path.join(course, "users.ini"), "rb").read().split(b"\r\n"):
        if line.startswith(b"["):
            section = line.strip(b"[]").decode("cp1251")
        elif section == STUDENT and b"=" in line:
            key, value = line.split(b"=", 1)
            if len(value) >= 2 and value[:1] == value[-1:] == b'"':
                value = value[1:-1]
            grades[key.decode()] = bytes(c ^ KEY for c in value).decode("cp1251")
    if grades.get("password") != PASSWORD or grades.get("test1") != str(EXPECTED_GRADE):
        raise Failure("users.ini holds %r" % grades)
    lines = open(os.path.join(course, "log.txt"), "rb").read().decode("cp1251").splitlines()
    fields = lines[-1].split(" | ") if lines else []
    if len(lines) != 1 or fields[0] != STUDENT or fields[3:] != ["test1", str(EXPECTED_GRADE)]:
        raise Failure("the test log holds %r" % lines)
    log("users, users.ini and log.txt hold the student and grade %d" % EXPECTED_GRADE)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--admin", required=True)
    parser.add_argument("--course", required=True)
    parser.add_argument("--screenshots", help="a folder for a picture of the progress view")
    parser.add_argument("--server-fixture", help="the server fixture's script")
    parser.add_argument("--server-state", help="the server fixture's state file")
    args = parser.parse_args()

    for tool in ("Xvfb", "dbus-daemon", "dbus-send", "xdotool"):
        if shutil.which(tool) is None:
            return cannot_start("%s is not installed" % tool)
    try:
        import gi  # noqa: F401
        import pyatspi  # noqa: F401
    except Exception as e:
        return cannot_start("python3-pyatspi cannot be loaded: %s" % e)

    procs = Processes()
    with tempfile.TemporaryDirectory() as tmp:
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("DBUS_", "AT_SPI", "XDG_", "QT_", "DISPLAY", "WAYLAND"))}
        for name in ("home", "runtime", "config", "data", "cache"):
            os.makedirs(os.path.join(tmp, name), mode=0o700)
        env.update({"HOME": os.path.join(tmp, "home"),
                    "XDG_RUNTIME_DIR": os.path.join(tmp, "runtime"),
                    "XDG_CONFIG_HOME": os.path.join(tmp, "config"),
                    "XDG_DATA_HOME": os.path.join(tmp, "data"),
                    "XDG_CACHE_HOME": os.path.join(tmp, "cache"),
                    "LANG": "C.UTF-8"})
        try:
            env["DISPLAY"] = start_x_server(procs, env)
            env["DBUS_SESSION_BUS_ADDRESS"] = start_session_bus(procs, env)
            start_accessibility_bus(procs, env)
            env.update({"QT_QPA_PLATFORM": "xcb",
                        "QT_ACCESSIBILITY": "1",
                        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                        "QTWEBENGINE_DISABLE_SANDBOX": "1",
                        "QTWEBENGINE_CHROMIUM_FLAGS": "--no-sandbox --disable-gpu"})
            os.environ.update({k: env[k] for k in
                               ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")})
            course = os.path.join(tmp, "course")
            rights = write_course(args.course, course, args.admin)
            server = None
            if args.server_fixture:
                server = Server(args.server_fixture, args.server_state)
                server.set_up(args.admin, course)
            before = files_of(course)
            started = time.monotonic()
            chosen = road(args, env, course, rights, procs, server)
            if server is None:
                check_files(course, rights)
            else:
                server.check(chosen)
                if files_of(course) != before:
                    raise Failure("the program wrote into the course folder: %r" % sorted(
                        set(files_of(course).items()) ^ set(before.items())))
                log("the course folder is as it was")
            log("the keyboard road took %.1f s" % (time.monotonic() - started))
        except Skip as e:
            return cannot_start(str(e))
        except Failure as e:
            log("FAILED: %s" % e)
            program_log = os.path.join(tmp, "program.log")
            if os.path.exists(program_log):
                log(open(program_log, "rb").read().decode(errors="replace")[-3000:])
            return 1
        finally:
            procs.stop_all()
    log("PASSED")
    return 0


if __name__ == "__main__":
    sys.exit(main())

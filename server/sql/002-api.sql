-- SPDX-License-Identifier: GPL-3.0-or-later
-- The API the lab role executes: every function runs as the owner with a
-- fixed search_path, refuses to run inside a caller's transaction, and
-- refuses with an SQLSTATE of class CB and a short message (server/README.md
-- lists them).
SET ROLE coursebook_owner;
SET LOCAL search_path = pg_catalog, cb_private;

-- One API call a transaction: inside BEGIN ... ROLLBACK a run could be
-- started, answered and finished, its grade read and every trace of it
-- taken back. Every call takes a transaction id at once, so a call that
-- finds one taken is not the first of its transaction. (A statement's
-- timestamp against the transaction's cannot tell more: the extended
-- protocol gives them apart in a transaction of one statement.) With a
-- finish that needs every answer, and answers that cannot change, one call
-- alone taken back learns nothing a finish would not tell.
CREATE FUNCTION cb_private.guard() RETURNS void
LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $$
BEGIN
    IF pg_current_xact_id_if_assigned() IS NOT NULL THEN
        RAISE EXCEPTION 'in_transaction' USING ERRCODE = 'CB000';
    END IF;
    PERFORM pg_current_xact_id();
END
$$;

CREATE FUNCTION cb_private.refuse(code text, message text, detail text DEFAULT '') RETURNS void
LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $$
BEGIN
    RAISE EXCEPTION USING ERRCODE = code, MESSAGE = message, DETAIL = detail;
END
$$;

-- Letters the class folder's code page can spell.
CREATE FUNCTION cb_private.spellable(t text) RETURNS boolean
LANGUAGE plpgsql IMMUTABLE SET search_path = pg_catalog, pg_temp AS $$
BEGIN
    PERFORM convert_to(t, 'WIN1251');
    RETURN true;
EXCEPTION WHEN untranslatable_character OR character_not_in_repertoire THEN
    RETURN false;
END
$$;

-- Names compare without letter case, Cyrillic included, as the folder's
-- section names do.
CREATE FUNCTION cb_private.name_key(t text) RETURNS text
LANGUAGE sql IMMUTABLE SET search_path = pg_catalog, pg_temp AS $$
    SELECT lower(t COLLATE "C.utf8")
$$;

-- The refusals of the course folder's registration, in its order.
CREATE FUNCTION cb_private.check_registration(n text, p text, renaming_from bigint DEFAULT NULL)
RETURNS void LANGUAGE plpgsql SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    s settings;
BEGIN
    SELECT * INTO s FROM settings;
    IF p IS NOT NULL THEN
        IF NOT spellable(p) THEN
            PERFORM refuse('CB008', 'foreign_password_letters');
        ELSIF p = '!!!!!!' THEN
            PERFORM refuse('CB006', 'missing_marker_password');
        ELSIF length(p) > 2047 THEN
            PERFORM refuse('CB007', 'long_password');
        ELSIF p ~ '[\x01-\x1f]' THEN
            PERFORM refuse('CB009', 'unstorable_password');
        END IF;
    END IF;
    IF n IS NULL OR n = '' THEN
        PERFORM refuse('CB001', 'empty_name');
    ELSIF NOT spellable(n) THEN
        PERFORM refuse('CB003', 'foreign_letters');
    ELSIF n ~ '[][\x01-\x1f]' OR n ~ '^[ \t]' OR n ~ '[ \t]$' THEN
        PERFORM refuse('CB002', 'unstorable_name');
    ELSIF n = s.admin_login THEN
        PERFORM refuse('CB005', 'administrator_name');
    ELSIF EXISTS (SELECT FROM users u WHERE u.name_key = name_key(n) AND u.removed IS NULL
                  AND u.id IS DISTINCT FROM renaming_from) THEN
        PERFORM refuse('CB004', 'already_registered');
    END IF;
END
$$;

CREATE FUNCTION cb_private.hash(p text) RETURNS text
LANGUAGE sql SET search_path = pg_catalog, cb_private, pg_temp AS $$
    SELECT crypt(p, gen_salt('bf', (SELECT hash_cost FROM settings)))
$$;

CREATE FUNCTION cb_private.new_token(uid bigint, is_admin boolean, OUT token text,
                                     OUT expires timestamptz)
LANGUAGE plpgsql SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    DELETE FROM sessions s WHERE s.expires < now();
    token := encode(gen_random_bytes(32), 'hex');
    expires := now() + make_interval(hours => (SELECT session_hours FROM settings));
    INSERT INTO sessions VALUES (digest(token, 'sha256'), uid, is_admin, expires);
END
$$;

-- The user of a student's session; refused when the token is unknown or
-- expired.
CREATE FUNCTION cb_private.student(token text) RETURNS users
LANGUAGE plpgsql SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    u users;
BEGIN
    SELECT users.* INTO u FROM sessions JOIN users ON users.id = sessions.user_id
        WHERE sessions.token_hash = digest(coalesce(token, ''), 'sha256')
          AND sessions.expires > now() AND users.removed IS NULL;
    IF NOT FOUND THEN
        PERFORM refuse('CB011', 'no_session');
    END IF;
    RETURN u;
END
$$;

CREATE FUNCTION cb_private.administrator(token text) RETURNS void
LANGUAGE plpgsql SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    IF NOT EXISTS (SELECT FROM sessions s
                   WHERE s.token_hash = digest(coalesce(token, ''), 'sha256')
                     AND s.expires > now() AND s.admin) THEN
        PERFORM refuse('CB012', 'not_administrator');
    END IF;
END
$$;

CREATE FUNCTION cb_private.registered(n text) RETURNS users
LANGUAGE plpgsql SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    u users;
BEGIN
    SELECT * INTO u FROM users WHERE name_key = name_key(n) AND removed IS NULL FOR UPDATE;
    IF NOT FOUND THEN
        PERFORM refuse('CB019', 'not_registered');
    END IF;
    RETURN u;
END
$$;

-- The test run's rule on the share of right answers, unrounded: compared in
-- whole numbers, so that no rounding moves a share across a limit.
CREATE FUNCTION cb_private.grade(right_count integer, question_count integer) RETURNS smallint
LANGUAGE sql IMMUTABLE SET search_path = pg_catalog, pg_temp AS $$
    SELECT CASE
        WHEN 100::bigint * right_count >= 80::bigint * question_count THEN 5
        WHEN 100::bigint * right_count >= 60::bigint * question_count THEN 4
        WHEN 100::bigint * right_count >= 40::bigint * question_count THEN 3
        WHEN 100::bigint * right_count >= 20::bigint * question_count THEN 2
        ELSE 1 END::smallint
$$;

-- Grades a run, stores the grade among the user's twelve and writes the log
-- row, all in the caller's one transaction.
CREATE FUNCTION cb_private.close_run(run_id bigint, by_start boolean) RETURNS smallint
LANGUAGE plpgsql SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    r runs;
    u users;
    n integer;
    g smallint;
BEGIN
    SELECT * INTO r FROM runs WHERE id = run_id FOR UPDATE;
    SELECT count(*) INTO n FROM answers a
        JOIN questions q ON q.test = r.test AND q.version = r.version AND q.number = a.number
        WHERE a.run_id = r.id AND a.digit = q.key;
    g := grade(n, r.question_count);
    UPDATE runs SET finished = now(), right_count = n, grade = g, closed_by_start = by_start
        WHERE id = r.id;
    UPDATE users SET grades[r.test] = g WHERE id = r.user_id RETURNING * INTO u;
    INSERT INTO log (user_name, at, test, grade, run_id) VALUES (u.name, now(), r.test, g, r.id);
    RETURN g;
END
$$;

CREATE FUNCTION cb_private.run_rows(r runs)
RETURNS TABLE (run bigint, test smallint, version integer, question_count integer,
               number integer, question text, answers text[], chosen smallint)
LANGUAGE sql SET search_path = pg_catalog, cb_private, pg_temp AS $$
    SELECT r.id, r.test, r.version, r.question_count, q.number, q.question, q.answers, a.digit
    FROM questions q LEFT JOIN answers a ON a.run_id = r.id AND a.number = q.number
    WHERE q.test = r.test AND q.version = r.version
    ORDER BY q.number
$$;

-- The API.

CREATE FUNCTION cb.register(name text, password text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    -- Many machines registering one name: one waits for the other's row and
    -- then finds the name taken.
    PERFORM pg_advisory_xact_lock(hashtext('coursebook register ' || name_key(name)));
    PERFORM check_registration(name, password);
    INSERT INTO users (name, name_key, hash) VALUES (name, name_key(name), hash(password));
END
$$;

CREATE FUNCTION cb.login(name text, password text)
RETURNS TABLE (token text, expires timestamptz, administrator boolean, stored_name text,
               grades smallint[])
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    s settings;
    u users;
    t record;
BEGIN
    PERFORM guard();
    SELECT * INTO s FROM settings;
    IF s.admin_login <> '' AND name = s.admin_login THEN
        IF s.admin_hash <> '' AND crypt(password, s.admin_hash) = s.admin_hash THEN
            SELECT * INTO t FROM new_token(NULL, true);
            RETURN QUERY SELECT t.token, t.expires, true, s.admin_login, NULL::smallint[];
            RETURN;
        END IF;
    ELSE
        SELECT * INTO u FROM users WHERE users.name_key = name_key(login.name)
            AND removed IS NULL;
        IF FOUND THEN
            IF crypt(password, u.hash) = u.hash THEN
                SELECT * INTO t FROM new_token(u.id, false);
                RETURN QUERY SELECT t.token, t.expires, false, u.name, u.grades;
                RETURN;
            END IF;
        ELSE
            PERFORM crypt(password, s.decoy_hash);
        END IF;
    END IF;
    PERFORM refuse('CB010', 'wrong_credentials');
END
$$;

CREATE FUNCTION cb.logout(token text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    DELETE FROM sessions WHERE token_hash = digest(coalesce(token, ''), 'sha256');
END
$$;

CREATE FUNCTION cb.grades(token text) RETURNS smallint[]
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    RETURN (student(token)).grades;
END
$$;

CREATE FUNCTION cb.start_run(token text, test_number smallint)
RETURNS TABLE (run bigint, test smallint, version integer, question_count integer,
               number integer, question text, answers text[], chosen smallint)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    u users;
    t tests;
    v test_versions;
    r runs;
    taken integer;
    last_start timestamptz;
BEGIN
    PERFORM guard();
    u := student(token);
    SELECT * INTO t FROM tests WHERE tests.test = test_number;
    IF NOT FOUND OR t.current_version IS NULL THEN
        PERFORM refuse('CB013', 'no_test');
    END IF;
    SELECT * INTO v FROM test_versions tv WHERE tv.test = t.test
        AND tv.version = t.current_version;
    -- The user's runs are taken one after the other.
    PERFORM FROM users WHERE id = u.id FOR UPDATE;
    SELECT count(*), max(started) INTO taken, last_start FROM runs
        WHERE user_id = u.id AND runs.test = t.test;
    IF t.attempt_limit IS NOT NULL AND taken >= t.attempt_limit THEN
        PERFORM refuse('CB014', 'attempt_limit', t.attempt_limit::text);
    END IF;
    IF t.min_pause IS NOT NULL AND last_start + t.min_pause > now() THEN
        PERFORM refuse('CB015', 'pause',
                       ceil(extract(epoch FROM last_start + t.min_pause - now()))::text);
    END IF;
    -- A run left open is graded and logged as it stands, so that a probe
    -- of the keys leaves a run the teacher sees.
    PERFORM close_run(o.id, true) FROM runs o WHERE o.user_id = u.id AND o.finished IS NULL;
    INSERT INTO runs (user_id, test, version, digest, question_count)
        VALUES (u.id, t.test, v.version, v.digest, v.question_count) RETURNING * INTO r;
    RETURN QUERY SELECT * FROM run_rows(r);
END
$$;

CREATE FUNCTION cb.open_run(token text)
RETURNS TABLE (run bigint, test smallint, version integer, question_count integer,
               number integer, question text, answers text[], chosen smallint)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    u users;
    r runs;
BEGIN
    PERFORM guard();
    u := student(token);
    SELECT * INTO r FROM runs WHERE user_id = u.id AND finished IS NULL;
    IF FOUND THEN
        RETURN QUERY SELECT * FROM run_rows(r);
    END IF;
END
$$;

CREATE FUNCTION cb.answer(token text, run bigint, number integer, digit smallint) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    u users;
    r runs;
    stored smallint;
BEGIN
    PERFORM guard();
    u := student(token);
    SELECT * INTO r FROM runs WHERE id = answer.run AND user_id = u.id;
    IF NOT FOUND OR r.finished IS NOT NULL THEN
        PERFORM refuse('CB016', 'no_open_run');
    END IF;
    IF number IS NULL OR number < 1 OR number > r.question_count OR digit IS NULL
       OR digit < 1 OR digit > 5 THEN
        PERFORM refuse('CB018', 'bad_answer');
    END IF;
    INSERT INTO answers (run_id, number, digit) VALUES (r.id, answer.number, answer.digit)
        ON CONFLICT DO NOTHING;
    -- The same digit again is a reply that was lost; another is refused.
    SELECT a.digit INTO stored FROM answers a WHERE a.run_id = r.id AND a.number = answer.number;
    IF stored <> digit THEN
        PERFORM refuse('CB017', 'answered', stored::text);
    END IF;
END
$$;

CREATE FUNCTION cb.finish_run(token text, run bigint)
RETURNS TABLE (grade smallint, right_count integer, question_count integer, grades smallint[])
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    u users;
    r runs;
BEGIN
    PERFORM guard();
    u := student(token);
    SELECT * INTO r FROM runs WHERE id = finish_run.run AND user_id = u.id FOR UPDATE;
    IF NOT FOUND THEN
        PERFORM refuse('CB016', 'no_open_run');
    END IF;
    -- A finish whose reply was lost reads the same result again.
    IF r.finished IS NULL THEN
        IF (SELECT count(*) FROM answers a WHERE a.run_id = r.id) < r.question_count THEN
            PERFORM refuse('CB023', 'unanswered');
        END IF;
        PERFORM close_run(r.id, false);
    END IF;
    RETURN QUERY SELECT x.grade, x.right_count, x.question_count, users.grades
        FROM runs x JOIN users ON users.id = x.user_id WHERE x.id = r.id;
END
$$;

-- The administrator's calls.

CREATE FUNCTION cb.admin_users(token text)
RETURNS TABLE (name text, grades smallint[], registered timestamptz, removed timestamptz)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    RETURN QUERY SELECT u.name, u.grades, u.registered, u.removed FROM users u ORDER BY u.id;
END
$$;

CREATE FUNCTION cb.admin_log(token text)
RETURNS TABLE (user_name text, at timestamptz, test smallint, grade smallint, imported_line bytea)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    RETURN QUERY SELECT l.user_name, l.at, l.test, l.grade, l.imported_line FROM log l
        ORDER BY l.id;
END
$$;

CREATE FUNCTION cb.admin_answers(token text)
RETURNS TABLE (user_name text, test smallint, version integer, digest text, started timestamptz,
               finished timestamptz, grade smallint, closed_by_start boolean, chosen text,
               right_digits text)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    RETURN QUERY
    SELECT u.name, r.test, r.version, r.digest, r.started, r.finished, r.grade, r.closed_by_start,
           (SELECT string_agg(coalesce(a.digit::text, '0'), '' ORDER BY n)
            FROM generate_series(1, r.question_count) n
            LEFT JOIN answers a ON a.run_id = r.id AND a.number = n),
           coalesce(r.imported_right,
                    (SELECT string_agg(q.key::text, '' ORDER BY q.number) FROM questions q
                     WHERE q.test = r.test AND q.version = r.version))
    FROM runs r JOIN users u ON u.id = r.user_id
    ORDER BY r.id;
END
$$;

CREATE FUNCTION cb.admin_set_password(token text, name text, password text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    u users;
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    u := registered(name);
    PERFORM check_registration(u.name, password, u.id);
    UPDATE users SET hash = hash(password) WHERE id = u.id;
    DELETE FROM sessions WHERE user_id = u.id;
END
$$;

CREATE FUNCTION cb.admin_rename(token text, old_name text, new_name text) RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    u users;
    lines integer;
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    u := registered(old_name);
    PERFORM pg_advisory_xact_lock(hashtext('coursebook register ' || name_key(new_name)));
    PERFORM check_registration(new_name, NULL, u.id);
    UPDATE users SET name = new_name, name_key = name_key(new_name) WHERE id = u.id;
    -- The log follows the name; a line brought in from a folder keeps its
    -- other fields byte for byte.
    UPDATE log SET user_name = new_name,
        imported_line = CASE WHEN imported_line IS NULL THEN NULL
            ELSE convert_to(new_name, 'WIN1251')
                 || substring(imported_line FROM octet_length(convert_to(u.name, 'WIN1251')) + 1)
            END
        WHERE user_name = u.name;
    GET DIAGNOSTICS lines = ROW_COUNT;
    RETURN lines;
END
$$;

CREATE FUNCTION cb.admin_remove(token text, name text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    u users;
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    u := registered(name);
    UPDATE users SET removed = clock_timestamp() WHERE id = u.id;
    DELETE FROM sessions WHERE user_id = u.id;
END
$$;

CREATE FUNCTION cb.admin_restore(token text, name text) RETURNS text
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    u users;
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    SELECT * INTO u FROM users WHERE name_key = name_key(admin_restore.name)
        AND removed IS NOT NULL ORDER BY removed DESC, id DESC LIMIT 1 FOR UPDATE;
    IF NOT FOUND THEN
        PERFORM refuse('CB020', 'nothing_kept');
    END IF;
    PERFORM pg_advisory_xact_lock(hashtext('coursebook register ' || u.name_key));
    PERFORM check_registration(u.name, NULL, u.id);
    UPDATE users SET removed = NULL WHERE id = u.id;
    RETURN u.name;
END
$$;

CREATE FUNCTION cb.admin_settings(token text)
RETURNS TABLE (admin_login text, log_name text, hash_cost integer, session_hours integer)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    RETURN QUERY SELECT s.admin_login, s.log_name, s.hash_cost, s.session_hours FROM settings s;
END
$$;

-- A password left NULL stays as it is; the administrator's sessions end
-- when the login or the password changes.
CREATE FUNCTION cb.admin_set_settings(token text, admin_login text, admin_password text,
                                      log_name text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    IF coalesce(admin_login, '') = '' OR NOT spellable(admin_login) THEN
        PERFORM refuse('CB021', 'bad_settings', 'login');
    END IF;
    IF admin_password IS NOT NULL AND (admin_password = '' OR NOT spellable(admin_password)) THEN
        PERFORM refuse('CB021', 'bad_settings', 'password');
    END IF;
    IF log_name IS NULL OR NOT spellable(log_name) OR log_name ~ '[|\x01-\x1f]' THEN
        PERFORM refuse('CB021', 'bad_settings', 'log_name');
    END IF;
    IF EXISTS (SELECT FROM users u WHERE u.name = admin_login AND u.removed IS NULL) THEN
        PERFORM refuse('CB005', 'administrator_name');
    END IF;
    IF admin_password IS NOT NULL OR admin_login <> (SELECT s.admin_login FROM settings s) THEN
        DELETE FROM sessions WHERE admin;
    END IF;
    UPDATE settings s SET admin_login = admin_set_settings.admin_login,
        admin_hash = coalesce(hash(admin_password), s.admin_hash),
        log_name = admin_set_settings.log_name;
END
$$;

-- A test as a new version: the file as published, its digest (the answer
-- record's version), and the questions as a JSON array of
-- {"question": text, "answers": [five texts], "key": digit}.
CREATE FUNCTION cb.admin_publish(token text, test smallint, file bytea, digest text,
                                 questions jsonb) RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    v integer;
    n integer;
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    IF test IS NULL OR test NOT BETWEEN 1 AND 10 OR jsonb_typeof(questions) <> 'array'
       OR jsonb_array_length(questions) = 0 OR file IS NULL
       OR digest IS NULL OR digest !~ '^[0-9a-f]{8}$' THEN
        PERFORM refuse('CB022', 'bad_test');
    END IF;
    n := jsonb_array_length(questions);
    PERFORM FROM tests t WHERE t.test = admin_publish.test FOR UPDATE;
    SELECT coalesce(max(version), 0) + 1 INTO v FROM test_versions tv
        WHERE tv.test = admin_publish.test;
    INSERT INTO test_versions (test, version, file, digest, question_count)
        VALUES (admin_publish.test, v, file, digest, n);
    BEGIN
        INSERT INTO questions (test, version, number, question, answers, key)
        SELECT admin_publish.test, v, e.ordinality, e.value->>'question',
               ARRAY(SELECT jsonb_array_elements_text(e.value->'answers')),
               (e.value->>'key')::smallint
        FROM jsonb_array_elements(questions) WITH ORDINALITY e;
    EXCEPTION WHEN check_violation OR not_null_violation OR invalid_text_representation
                   OR numeric_value_out_of_range THEN
        PERFORM refuse('CB022', 'bad_test');
    END;
    UPDATE tests t SET current_version = v WHERE t.test = admin_publish.test;
    RETURN v;
END
$$;

CREATE FUNCTION cb.admin_tests(token text)
RETURNS TABLE (test smallint, version integer, digest text, question_count integer,
               published timestamptz, attempt_limit integer, min_pause_seconds integer,
               file bytea)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    RETURN QUERY SELECT t.test, v.version, v.digest, v.question_count, v.published,
                        t.attempt_limit, extract(epoch FROM t.min_pause)::integer, v.file
        FROM tests t LEFT JOIN test_versions v ON v.test = t.test AND v.version = t.current_version
        ORDER BY t.test;
END
$$;

-- NULL for no limit and no pause, as a class folder has.
CREATE FUNCTION cb.admin_set_limits(token text, test smallint, attempt_limit integer,
                                    min_pause_seconds integer) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    IF test IS NULL OR test NOT BETWEEN 1 AND 10 OR attempt_limit <= 0
       OR min_pause_seconds <= 0 THEN
        PERFORM refuse('CB022', 'bad_test');
    END IF;
    UPDATE tests t SET attempt_limit = admin_set_limits.attempt_limit,
        min_pause = make_interval(secs => min_pause_seconds)
        WHERE t.test = admin_set_limits.test;
END
$$;

-- A new semester: the users, their runs, answers and the log go; the
-- settings and the tests stay. The caller keeps an export first.
CREATE FUNCTION cb.admin_new_semester(token text) RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    n integer;
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    DELETE FROM log;
    DELETE FROM users;
    GET DIAGNOSTICS n = ROW_COUNT;
    RETURN n;
END
$$;

-- The first administrator, set on the server's host by a superuser.
CREATE FUNCTION cb_private.init_settings(admin_login text, admin_password text, log_name text)
RETURNS void LANGUAGE plpgsql SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    UPDATE settings s SET admin_login = init_settings.admin_login,
        admin_hash = hash(admin_password), log_name = init_settings.log_name;
    DELETE FROM sessions WHERE admin;
END
$$;

CREATE FUNCTION cb.server_status()
RETURNS TABLE (schema_version integer, connections integer, connection_limit integer,
               users integer, runs integer, open_runs integer, last_run timestamptz)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    RETURN QUERY SELECT (SELECT max(version) FROM schema_version),
        (SELECT count(*)::integer FROM pg_stat_activity WHERE usename = 'coursebook_lab'),
        (SELECT rolconnlimit FROM pg_roles WHERE rolname = 'coursebook_lab'),
        (SELECT count(*)::integer FROM users WHERE removed IS NULL),
        (SELECT count(*)::integer FROM runs),
        (SELECT count(*)::integer FROM runs WHERE finished IS NULL),
        (SELECT max(started) FROM runs);
END
$$;

-- Only the lab role executes the API; the helpers stay the owner's.
DO $grants$
DECLARE
    f regprocedure;
BEGIN
    FOR f IN SELECT p.oid FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace
             WHERE n.nspname IN ('cb', 'cb_private') AND p.proowner = 'coursebook_owner'::regrole
    LOOP
        EXECUTE format('REVOKE ALL ON FUNCTION %s FROM PUBLIC', f);
    END LOOP;
    FOR f IN SELECT p.oid FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace
             WHERE n.nspname = 'cb'
    LOOP
        EXECUTE format('GRANT EXECUTE ON FUNCTION %s TO coursebook_lab', f);
    END LOOP;
END
$grants$;

RESET ROLE;

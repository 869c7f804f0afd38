-- SPDX-License-Identifier: GPL-3.0-or-later
-- The teacher's own changes to the grades (a run graded again by a mended
-- key, a grade set by hand with a reason) are recorded, as a folder keeps
-- them beside its log; a removed user comes back from the removal the
-- teacher picks, also over an account registered again since; and the
-- archive keeps the record of changes with the rest.
SET ROLE coursebook_owner;
SET LOCAL search_path = pg_catalog, cb_private;

-- One line of the record a row, as the folder's record holds it (without
-- its line end), in the order the changes were made.
CREATE TABLE cb_private.grade_changes (
    id bigserial PRIMARY KEY,
    line text NOT NULL CHECK (line !~ '[\r\n]')
);

CREATE FUNCTION cb.admin_change_lines(token text) RETURNS SETOF text
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    RETURN QUERY SELECT c.line FROM grade_changes c ORDER BY c.id;
END
$$;

-- lines: [the record's lines, each without its end];
-- writes: [{"user", "test" (1 … 12), "expected" (-1: any), "grade" (0 … 255)}].
-- The lines first, then each grade only while its user is registered and
-- the grade is still the one the teacher was shown (a run finished since
-- keeps its own); all in one transaction. Returns the grades stored.
CREATE FUNCTION cb.admin_record_grade_changes(token text, lines jsonb, writes jsonb)
RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    w jsonb;
    k integer;
    g integer;
    e integer;
    n integer := 0;
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    IF writes IS NULL OR jsonb_typeof(writes) <> 'array' OR lines IS NULL
       OR jsonb_typeof(lines) <> 'array' OR EXISTS (
           SELECT FROM jsonb_array_elements(lines) l WHERE jsonb_typeof(l) <> 'string'
               OR l #>> '{}' ~ '[\r\n]') THEN
        PERFORM refuse('CB029', 'bad_change', 'lines');
    END IF;
    FOR w IN SELECT * FROM jsonb_array_elements(writes) LOOP
        IF jsonb_typeof(w->'user') IS DISTINCT FROM 'string'
           OR jsonb_typeof(w->'test') IS DISTINCT FROM 'number'
           OR jsonb_typeof(w->'grade') IS DISTINCT FROM 'number'
           OR jsonb_typeof(w->'expected') IS DISTINCT FROM 'number' THEN
            PERFORM refuse('CB029', 'bad_change', w::text);
        END IF;
        k := (w->>'test')::integer;
        g := (w->>'grade')::integer;
        IF k NOT BETWEEN 1 AND 12 OR g NOT BETWEEN 0 AND 255 THEN
            PERFORM refuse('CB029', 'bad_change', w::text);
        END IF;
    END LOOP;
    INSERT INTO grade_changes (line)
        SELECT l FROM jsonb_array_elements_text(lines) WITH ORDINALITY AS t(l, o) ORDER BY o;
    FOR w IN SELECT * FROM jsonb_array_elements(writes) LOOP
        k := (w->>'test')::integer;
        g := (w->>'grade')::integer;
        e := (w->>'expected')::integer;
        UPDATE users u SET grades[k] = g
            WHERE u.name_key = name_key(w->>'user') AND u.removed IS NULL
              AND (e < 0 OR u.grades[k] = e);
        IF FOUND THEN
            n := n + 1;
        END IF;
    END LOOP;
    RETURN n;
END
$$;

-- Every removal kept under the name (any letter case), oldest first: the
-- removal's number for admin_restore_removal, when, and the grades.
CREATE FUNCTION cb.admin_removals(token text, name text)
RETURNS TABLE (removal bigint, removed timestamptz, grades smallint[])
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    RETURN QUERY SELECT u.id, u.removed, u.grades FROM users u
        WHERE u.name_key = name_key(admin_removals.name) AND u.removed IS NOT NULL
        ORDER BY u.removed, u.id;
END
$$;

-- The removal picked back. Over an account registered again since: 'ask'
-- refuses, 'replace' removes that account in turn (kept like any removal)
-- and puts the kept one in its place in the list, 'best' keeps it and
-- raises each of its tests 1 … 10 to the kept grade where that is higher.
CREATE FUNCTION cb.admin_restore_removal(token text, removal bigint, over text) RETURNS text
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    u users;
    now_there users;
    s settings;
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    IF over IS NULL OR over NOT IN ('ask', 'replace', 'best') THEN
        PERFORM refuse('CB029', 'bad_change', 'over');
    END IF;
    SELECT * INTO u FROM users WHERE id = removal AND removed IS NOT NULL FOR UPDATE;
    IF NOT FOUND THEN
        PERFORM refuse('CB020', 'nothing_kept');
    END IF;
    PERFORM pg_advisory_xact_lock(hashtext('coursebook register ' || u.name_key));
    SELECT * INTO s FROM settings;
    IF name_key(u.name) = name_key(s.admin_login) THEN
        PERFORM refuse('CB005', 'administrator_name');
    END IF;
    SELECT * INTO now_there FROM users WHERE name_key = u.name_key AND removed IS NULL FOR UPDATE;
    IF NOT FOUND THEN
        PERFORM check_registration(u.name, NULL, u.id);
        UPDATE users SET removed = NULL, listed = nextval('users_listed') WHERE id = u.id;
        RETURN u.name;
    END IF;
    IF over = 'ask' THEN
        PERFORM refuse('CB028', 'registered_again');
    ELSIF over = 'best' THEN
        UPDATE users SET grades = ARRAY(
            SELECT CASE WHEN i BETWEEN 1 AND 10 THEN greatest(now_there.grades[i], u.grades[i])
                        ELSE now_there.grades[i] END
            FROM generate_subscripts(now_there.grades, 1) AS i ORDER BY i)
            WHERE id = now_there.id;
        RETURN now_there.name;
    END IF;
    UPDATE users SET removed = clock_timestamp() WHERE id = now_there.id;
    DELETE FROM sessions WHERE user_id = now_there.id;
    UPDATE users SET removed = NULL, listed = now_there.listed WHERE id = u.id;
    RETURN u.name;
END
$$;

-- The archive's digest and the new semester take the record of changes
-- along: a new semester starts with none.
CREATE OR REPLACE FUNCTION cb_private.records_digest() RETURNS text
LANGUAGE sql STABLE SET search_path = pg_catalog, cb_private, pg_temp AS $$
    SELECT md5(concat_ws('/',
        (SELECT string_agg(concat_ws(',', id, name, grades, removed, listed), ';' ORDER BY id)
         FROM users),
        (SELECT string_agg(concat_ws(',', id, user_name, at, test, grade), ';' ORDER BY id)
         FROM log),
        (SELECT string_agg(concat_ws(',', id, finished), ';' ORDER BY id) FROM runs),
        (SELECT string_agg(concat_ws(',', id, md5(line)), ';' ORDER BY id) FROM grade_changes)))
$$;

CREATE OR REPLACE FUNCTION cb.admin_new_semester(token text, kept_digest text) RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    n integer;
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    LOCK TABLE users, log, runs, grade_changes IN SHARE ROW EXCLUSIVE MODE;
    IF kept_digest IS DISTINCT FROM records_digest() THEN
        PERFORM refuse('CB025', 'changed');
    END IF;
    DELETE FROM grade_changes;
    DELETE FROM log;
    DELETE FROM users;
    GET DIAGNOSTICS n = ROW_COUNT;
    RETURN n;
END
$$;

CREATE OR REPLACE FUNCTION cb.admin_new_semester(token text) RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    n integer;
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    DELETE FROM grade_changes;
    DELETE FROM log;
    DELETE FROM users;
    GET DIAGNOSTICS n = ROW_COUNT;
    RETURN n;
END
$$;

-- A class brought in from a folder takes its record of changes along, in
-- the same transaction as the rest: data gains "changes", the record's lines
-- (each without its end). The import of the other records stays as it was.
ALTER FUNCTION cb.admin_import(text, jsonb) SET SCHEMA cb_private;
ALTER FUNCTION cb_private.admin_import(text, jsonb) RENAME TO import_records;
REVOKE ALL ON FUNCTION cb_private.import_records(text, jsonb) FROM PUBLIC, coursebook_lab;

CREATE FUNCTION cb.admin_import(token text, data jsonb)
RETURNS TABLE (imported_users integer, imported_removed integer, imported_tests integer,
               imported_log integer, imported_runs integer, imported_changes integer)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    r record;
    lines jsonb := coalesce(data->'changes', '[]');
BEGIN
    -- First, as it checks the caller's transaction and the administrator.
    SELECT * INTO r FROM import_records(token, data);
    IF EXISTS (SELECT FROM grade_changes) THEN
        PERFORM refuse('CB026', 'not_empty');
    END IF;
    IF jsonb_typeof(lines) <> 'array' OR EXISTS (
           SELECT FROM jsonb_array_elements(lines) l WHERE jsonb_typeof(l) <> 'string'
               OR l #>> '{}' ~ '[\r\n]') THEN
        PERFORM refuse('CB027', 'bad_record', 'changes');
    END IF;
    INSERT INTO grade_changes (line)
        SELECT l FROM jsonb_array_elements_text(lines) WITH ORDINALITY AS t(l, o) ORDER BY o;
    RETURN QUERY SELECT r.imported_users, r.imported_removed, r.imported_tests, r.imported_log,
        r.imported_runs, jsonb_array_length(lines);
END
$$;

REVOKE ALL ON FUNCTION cb.admin_import(text, jsonb) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION cb.admin_import(text, jsonb) TO coursebook_lab;

REVOKE ALL ON FUNCTION cb.admin_change_lines(text), cb.admin_record_grade_changes(text, jsonb, jsonb),
    cb.admin_removals(text, text), cb.admin_restore_removal(text, bigint, text) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION cb.admin_change_lines(text),
    cb.admin_record_grade_changes(text, jsonb, jsonb), cb.admin_removals(text, text),
    cb.admin_restore_removal(text, bigint, text) TO coursebook_lab;

RESET ROLE;

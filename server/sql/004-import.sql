-- SPDX-License-Identifier: GPL-3.0-or-later
-- A class brought in from a course folder in one call, so in one
-- transaction: every record or none.
SET ROLE coursebook_owner;
SET LOCAL search_path = pg_catalog, cb_private;

-- data: {"settings": {"admin_login", "admin_password", "log_name"},
--        "users": [{"name", "password" (null: none stored), "grades": [12]}],
--        "removed": [{"name", "grades": [12], "removed" (epoch seconds)}],
--        "tests": [{"test", "file" (base64), "digest", "questions": as admin_publish}],
--        "log": [{"line" (base64, as it stood), "user", "at", "test", "grade"}],
--        "runs": [{"user", "at", "test", "grade", "digest", "chosen", "right"}]}
-- A run names a registered user, else the last one removed under the name.
-- Refused, with the record in the detail, into a class that holds anything.
CREATE FUNCTION cb.admin_import(token text, data jsonb)
RETURNS TABLE (imported_users integer, imported_removed integer, imported_tests integer,
               imported_log integer, imported_runs integer)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    e jsonb;
    u users;
    r runs;
    s jsonb := data->'settings';
    v integer;
    n integer;
    i integer;
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    LOCK TABLE cb_private.users, cb_private.log, cb_private.runs IN SHARE ROW EXCLUSIVE MODE;
    IF EXISTS (SELECT FROM cb_private.users) OR EXISTS (SELECT FROM cb_private.log)
       OR EXISTS (SELECT FROM cb_private.runs) THEN
        PERFORM refuse('CB026', 'not_empty');
    END IF;
    imported_users := 0;
    imported_removed := 0;
    imported_tests := 0;
    imported_log := 0;
    imported_runs := 0;
    IF s IS NOT NULL THEN
        IF coalesce(s->>'admin_login', '') = '' OR NOT spellable(s->>'admin_login')
           OR coalesce(s->>'admin_password', '') = '' OR NOT spellable(s->>'admin_password')
           OR NOT spellable(coalesce(s->>'log_name', '')) THEN
            PERFORM refuse('CB021', 'bad_settings', 'data\info\tumb.db');
        END IF;
        UPDATE settings SET admin_login = s->>'admin_login',
            admin_hash = hash(s->>'admin_password'), log_name = coalesce(s->>'log_name', '');
    END IF;
    FOR e IN SELECT x FROM jsonb_array_elements(coalesce(data->'users', '[]')) x LOOP
        BEGIN
            PERFORM check_registration(e->>'name', e->>'password');
            INSERT INTO cb_private.users (name, name_key, hash, grades)
                VALUES (e->>'name', name_key(e->>'name'),
                        hash(coalesce(e->>'password', encode(gen_random_bytes(16), 'hex'))),
                        ARRAY(SELECT jsonb_array_elements_text(e->'grades'))::smallint[]);
        EXCEPTION WHEN sqlstate 'CB001' OR sqlstate 'CB002' OR sqlstate 'CB003'
                       OR sqlstate 'CB004' OR sqlstate 'CB005' OR sqlstate 'CB006'
                       OR sqlstate 'CB007' OR sqlstate 'CB008' OR sqlstate 'CB009'
                       OR check_violation OR invalid_text_representation
                       OR numeric_value_out_of_range THEN
            PERFORM refuse('CB027', 'bad_record', 'users.ini: ' || coalesce(e->>'name', ''));
        END;
        imported_users := imported_users + 1;
    END LOOP;
    FOR e IN SELECT x FROM jsonb_array_elements(coalesce(data->'removed', '[]')) x LOOP
        BEGIN
            INSERT INTO cb_private.users (name, name_key, hash, grades, removed)
                VALUES (e->>'name', name_key(e->>'name'), hash(encode(gen_random_bytes(16), 'hex')),
                        ARRAY(SELECT jsonb_array_elements_text(e->'grades'))::smallint[],
                        to_timestamp((e->>'removed')::double precision));
        EXCEPTION WHEN check_violation OR not_null_violation OR invalid_text_representation
                       OR numeric_value_out_of_range THEN
            PERFORM refuse('CB027', 'bad_record',
                           'removed-users.ini: ' || coalesce(e->>'name', ''));
        END;
        imported_removed := imported_removed + 1;
    END LOOP;
    FOR e IN SELECT x FROM jsonb_array_elements(coalesce(data->'tests', '[]')) x LOOP
        n := jsonb_array_length(e->'questions');
        BEGIN
            SELECT coalesce(max(tv.version), 0) + 1 INTO v FROM test_versions tv
                WHERE tv.test = (e->>'test')::smallint;
            INSERT INTO test_versions (test, version, file, digest, question_count)
                VALUES ((e->>'test')::smallint, v, decode(e->>'file', 'base64'), e->>'digest', n);
            INSERT INTO questions (test, version, number, question, answers, key)
            SELECT (e->>'test')::smallint, v, q.ordinality, q.value->>'question',
                   ARRAY(SELECT jsonb_array_elements_text(q.value->'answers')),
                   (q.value->>'key')::smallint
            FROM jsonb_array_elements(e->'questions') WITH ORDINALITY q;
            UPDATE cb_private.tests t SET current_version = v WHERE t.test = (e->>'test')::smallint;
        EXCEPTION WHEN check_violation OR not_null_violation OR foreign_key_violation
                       OR invalid_text_representation OR numeric_value_out_of_range THEN
            PERFORM refuse('CB027', 'bad_record', 'test' || coalesce(e->>'test', ''));
        END;
        imported_tests := imported_tests + 1;
    END LOOP;
    i := 0;
    FOR e IN SELECT x FROM jsonb_array_elements(coalesce(data->'log', '[]')) x LOOP
        i := i + 1;
        BEGIN
            INSERT INTO log (user_name, at, test, grade, imported_line)
                VALUES (e->>'user', to_timestamp((e->>'at')::double precision),
                        (e->>'test')::smallint, (e->>'grade')::smallint,
                        decode(e->>'line', 'base64'));
        EXCEPTION WHEN not_null_violation OR invalid_text_representation
                       OR numeric_value_out_of_range THEN
            PERFORM refuse('CB027', 'bad_record', 'log: ' || i);
        END;
        imported_log := imported_log + 1;
    END LOOP;
    i := 0;
    FOR e IN SELECT x FROM jsonb_array_elements(coalesce(data->'runs', '[]')) x LOOP
        i := i + 1;
        SELECT * INTO u FROM cb_private.users x WHERE x.name_key = name_key(e->>'user')
            ORDER BY x.removed IS NOT NULL, x.removed DESC LIMIT 1;
        IF NOT FOUND THEN
            PERFORM refuse('CB027', 'bad_record', 'answers: ' || i);
        END IF;
        BEGIN
            INSERT INTO cb_private.runs (user_id, test, digest, question_count, started, finished,
                                         right_count, grade, imported_right)
                VALUES (u.id, (e->>'test')::smallint, e->>'digest', length(e->>'chosen'),
                        to_timestamp((e->>'at')::double precision),
                        to_timestamp((e->>'at')::double precision),
                        (SELECT count(*) FROM generate_series(1, length(e->>'chosen')) k
                         WHERE substr(e->>'chosen', k, 1) = substr(e->>'right', k, 1)),
                        (e->>'grade')::smallint, e->>'right')
                RETURNING * INTO r;
            INSERT INTO answers (run_id, number, digit, answered)
            SELECT r.id, k, substr(e->>'chosen', k, 1)::smallint, r.finished
            FROM generate_series(1, length(e->>'chosen')) k;
        EXCEPTION WHEN check_violation OR not_null_violation OR invalid_text_representation
                       OR numeric_value_out_of_range THEN
            PERFORM refuse('CB027', 'bad_record', 'answers: ' || i);
        END;
        imported_runs := imported_runs + 1;
    END LOOP;
    -- The administrator's sessions end with new settings.
    IF s IS NOT NULL THEN
        DELETE FROM sessions WHERE admin;
    END IF;
    RETURN NEXT;
END
$$;

REVOKE ALL ON FUNCTION cb.admin_import(text, jsonb) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION cb.admin_import(text, jsonb) TO coursebook_lab;

RESET ROLE;

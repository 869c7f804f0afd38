-- SPDX-License-Identifier: GPL-3.0-or-later
-- What the class's store asks of the server beyond a run: the administrator
-- sets a user's grades as the tool's grade commands do in a folder, the user
-- list keeps a restored user at its end, as the folder's list does, the
-- password refused as the missing value is the one a folder reads so, a long
-- password counts whole, and the archive empties only what it copied.
SET ROLE coursebook_owner;
SET LOCAL search_path = pg_catalog, cb_private;

-- The password a folder reads back as missing is its missing-value marker
-- unscrambled, "??????" (the scrambled "!!!!!!" is a password like any
-- other): a user exported to a folder must be able to log in there.
CREATE OR REPLACE FUNCTION cb_private.check_registration(n text, p text,
                                                      renaming_from bigint DEFAULT NULL)
RETURNS void LANGUAGE plpgsql SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    s settings;
BEGIN
    SELECT * INTO s FROM settings;
    IF p IS NOT NULL THEN
        IF NOT spellable(p) THEN
            PERFORM refuse('CB008', 'foreign_password_letters');
        ELSIF p = '??????' THEN
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

-- bcrypt reads no more than 72 bytes of a password (36 Cyrillic letters in
-- UTF-8): of two long passwords alike in those the other one logged in too.
-- A hash is now taken over the password's SHA-256 in hex, marked so; a hash
-- made before still compares as it was made.
CREATE OR REPLACE FUNCTION cb_private.hash(p text) RETURNS text
LANGUAGE sql SET search_path = pg_catalog, cb_private, pg_temp AS $$
    SELECT 'sha256:' || crypt(encode(digest(p, 'sha256'), 'hex'),
                              gen_salt('bf', (SELECT hash_cost FROM settings)))
$$;

CREATE FUNCTION cb_private.matches(p text, h text) RETURNS boolean
LANGUAGE sql SET search_path = pg_catalog, cb_private, pg_temp AS $$
    SELECT CASE WHEN h LIKE 'sha256:%'
        THEN crypt(encode(digest(coalesce(p, ''), 'sha256'), 'hex'), substr(h, 8)) = substr(h, 8)
        ELSE crypt(coalesce(p, ''), h) = h END
$$;

CREATE OR REPLACE FUNCTION cb.login(name text, password text)
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
        IF s.admin_hash <> '' AND matches(password, s.admin_hash) THEN
            SELECT * INTO t FROM new_token(NULL, true);
            RETURN QUERY SELECT t.token, t.expires, true, s.admin_login, NULL::smallint[];
            RETURN;
        END IF;
    ELSE
        SELECT * INTO u FROM users WHERE users.name_key = name_key(login.name)
            AND removed IS NULL;
        IF FOUND THEN
            IF matches(password, u.hash) THEN
                SELECT * INTO t FROM new_token(u.id, false);
                RETURN QUERY SELECT t.token, t.expires, false, u.name, u.grades;
                RETURN;
            END IF;
        ELSE
            PERFORM matches(password, s.decoy_hash);
        END IF;
    END IF;
    PERFORM refuse('CB010', 'wrong_credentials');
END
$$;

-- The place in the user list: a registration and a restore put the name at
-- the end.
ALTER TABLE cb_private.users ADD COLUMN listed bigint;
CREATE SEQUENCE cb_private.users_listed OWNED BY cb_private.users.listed;
UPDATE cb_private.users SET listed = nextval('cb_private.users_listed')
    FROM (SELECT id FROM cb_private.users ORDER BY id) o WHERE o.id = users.id;
ALTER TABLE cb_private.users ALTER COLUMN listed SET DEFAULT nextval('cb_private.users_listed');
ALTER TABLE cb_private.users ALTER COLUMN listed SET NOT NULL;

CREATE OR REPLACE FUNCTION cb.admin_restore(token text, name text) RETURNS text
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
    UPDATE users SET removed = NULL, listed = nextval('users_listed') WHERE id = u.id;
    RETURN u.name;
END
$$;

-- The registered users in the list's order (admin_users gives every row,
-- removed ones too, by age).
CREATE FUNCTION cb.admin_list(token text)
RETURNS TABLE (name text, grades smallint[])
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    RETURN QUERY SELECT u.name, u.grades FROM users u WHERE u.removed IS NULL ORDER BY u.listed;
END
$$;

-- The twelve grades of a registered user, in one write; false when nobody of
-- the name is registered (a user removed meanwhile does not come back).
CREATE FUNCTION cb.admin_set_grades(token text, name text, grades smallint[]) RETURNS boolean
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    IF grades IS NULL OR cardinality(grades) <> 12 OR array_position(grades, NULL) IS NOT NULL
       OR NOT (0 <= ALL (grades) AND 255 >= ALL (grades)) THEN
        PERFORM refuse('CB024', 'bad_grades');
    END IF;
    UPDATE users u SET grades = admin_set_grades.grades
        WHERE u.name_key = name_key(admin_set_grades.name) AND u.removed IS NULL;
    RETURN FOUND;
END
$$;

-- What the archive copies: a digest of every record it keeps, so that the
-- new semester that follows the copies empties only what was copied.
CREATE FUNCTION cb_private.records_digest() RETURNS text
LANGUAGE sql STABLE SET search_path = pg_catalog, cb_private, pg_temp AS $$
    SELECT md5(concat_ws('/',
        (SELECT string_agg(concat_ws(',', id, name, grades, removed, listed), ';' ORDER BY id)
         FROM users),
        (SELECT string_agg(concat_ws(',', id, user_name, at, test, grade), ';' ORDER BY id)
         FROM log),
        (SELECT string_agg(concat_ws(',', id, finished), ';' ORDER BY id) FROM runs)))
$$;

CREATE FUNCTION cb.admin_records_digest(token text) RETURNS text
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    RETURN records_digest();
END
$$;

-- The new semester after the archive's copies: refused when anything
-- changed since the digest was read, so nothing goes that was not kept.
CREATE FUNCTION cb.admin_new_semester(token text, kept_digest text) RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    n integer;
BEGIN
    PERFORM guard();
    PERFORM administrator(token);
    LOCK TABLE users, log, runs IN SHARE ROW EXCLUSIVE MODE;
    IF kept_digest IS DISTINCT FROM records_digest() THEN
        PERFORM refuse('CB025', 'changed');
    END IF;
    DELETE FROM log;
    DELETE FROM users;
    GET DIAGNOSTICS n = ROW_COUNT;
    RETURN n;
END
$$;

REVOKE ALL ON FUNCTION cb_private.records_digest(), cb_private.matches(text, text) FROM PUBLIC;
REVOKE ALL ON FUNCTION cb.admin_list(text), cb.admin_set_grades(text, text, smallint[]),
    cb.admin_records_digest(text), cb.admin_new_semester(text, text) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION cb.admin_list(text), cb.admin_set_grades(text, text, smallint[]),
    cb.admin_records_digest(text), cb.admin_new_semester(text, text) TO coursebook_lab;

RESET ROLE;

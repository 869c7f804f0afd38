-- SPDX-License-Identifier: GPL-3.0-or-later
-- The class's records on the server: the roles, the tables and what the lab
-- role may not do. Applied by a superuser in one transaction; the version is
-- recorded by the one who applies it (see server/README.md).

-- The owner owns everything and cannot log in; the lab's copies connect as
-- the lab role, whose only right is to execute the API.
DO $roles$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'coursebook_owner') THEN
        CREATE ROLE coursebook_owner NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'coursebook_lab') THEN
        CREATE ROLE coursebook_lab LOGIN NOINHERIT;
    END IF;
END
$roles$;
ALTER ROLE coursebook_owner NOLOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION
    NOBYPASSRLS;
ALTER ROLE coursebook_lab LOGIN NOINHERIT NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION
    NOBYPASSRLS;

-- Students share the lab role and the driver sends bound values inside the
-- statement's text: nothing of a lab session's statements is tracked or
-- logged, and these settings are a superuser's, so a student cannot turn
-- them back on. A statement and an idle transaction end after a while.
ALTER ROLE coursebook_lab SET track_activities = off;
ALTER ROLE coursebook_lab SET log_min_error_statement = panic;
ALTER ROLE coursebook_lab SET log_min_messages = log;
ALTER ROLE coursebook_lab SET log_statement = none;
ALTER ROLE coursebook_lab SET log_min_duration_statement = -1;
ALTER ROLE coursebook_lab SET log_min_duration_sample = -1;
ALTER ROLE coursebook_lab SET log_transaction_sample_rate = 0;
ALTER ROLE coursebook_lab SET log_duration = off;
ALTER ROLE coursebook_lab SET debug_print_parse = off;
ALTER ROLE coursebook_lab SET debug_print_rewritten = off;
ALTER ROLE coursebook_lab SET debug_print_plan = off;
ALTER ROLE coursebook_lab SET statement_timeout = '5s';
ALTER ROLE coursebook_lab SET idle_in_transaction_session_timeout = '60s';
ALTER ROLE coursebook_lab SET lock_timeout = '10s';

-- No procedural language (DO loops, own functions), no temporary tables, no
-- large objects, nothing in the public schema for anyone but the owner.
REVOKE ALL ON SCHEMA public FROM PUBLIC;
REVOKE USAGE ON LANGUAGE plpgsql FROM PUBLIC;
REVOKE USAGE ON LANGUAGE sql FROM PUBLIC;
GRANT USAGE ON LANGUAGE plpgsql TO coursebook_owner;
GRANT USAGE ON LANGUAGE sql TO coursebook_owner;
REVOKE EXECUTE ON FUNCTION pg_catalog.lo_create(oid), pg_catalog.lo_creat(integer),
    pg_catalog.lo_from_bytea(oid, bytea), pg_catalog.lo_import(text),
    pg_catalog.lo_import(text, oid), pg_catalog.lo_open(oid, integer),
    pg_catalog.lo_put(oid, bigint, bytea), pg_catalog.lo_get(oid),
    pg_catalog.lo_get(oid, bigint, integer), pg_catalog.loread(integer, integer),
    pg_catalog.lowrite(integer, bytea), pg_catalog.lo_unlink(oid),
    pg_catalog.lo_truncate(integer, integer), pg_catalog.lo_truncate64(integer, bigint),
    pg_catalog.lo_export(oid, text)
    FROM PUBLIC;

CREATE SCHEMA cb_private AUTHORIZATION coursebook_owner;
CREATE SCHEMA cb AUTHORIZATION coursebook_owner;
REVOKE ALL ON SCHEMA cb_private FROM PUBLIC;
REVOKE ALL ON SCHEMA cb FROM PUBLIC;
GRANT USAGE ON SCHEMA cb TO coursebook_lab;
CREATE EXTENSION pgcrypto SCHEMA cb_private;

SET ROLE coursebook_owner;
ALTER DEFAULT PRIVILEGES FOR ROLE coursebook_owner REVOKE EXECUTE ON FUNCTIONS FROM PUBLIC;

CREATE TABLE cb_private.schema_version (
    version integer PRIMARY KEY,
    applied timestamptz NOT NULL DEFAULT now()
);

-- One row: the administrator's login and password hash, the test log's
-- file name, the hash's cost and how long a session lasts.
CREATE TABLE cb_private.settings (
    id boolean PRIMARY KEY DEFAULT true CHECK (id),
    admin_login text NOT NULL DEFAULT '',
    admin_hash text NOT NULL DEFAULT '',
    log_name text NOT NULL DEFAULT '',
    hash_cost integer NOT NULL DEFAULT 6 CHECK (hash_cost BETWEEN 4 AND 15),
    -- A hash of the same cost for names nobody holds, so that an unknown
    -- name costs what a wrong password costs.
    decoy_hash text NOT NULL,
    session_hours integer NOT NULL DEFAULT 12 CHECK (session_hours > 0)
);
INSERT INTO cb_private.settings (decoy_hash)
    VALUES (cb_private.crypt(encode(cb_private.gen_random_bytes(16), 'hex'),
                             cb_private.gen_salt('bf', 6)));

-- Registered and removed users: a removed user's row stays for a restore, so
-- one name may be there several times, but registered once.
CREATE TABLE cb_private.users (
    id bigserial PRIMARY KEY,
    name text NOT NULL,
    name_key text NOT NULL,
    hash text NOT NULL,
    grades smallint[] NOT NULL DEFAULT '{1,0,0,0,0,0,0,0,0,0,0,0}'
        CHECK (cardinality(grades) = 12 AND 0 <= ALL (grades) AND 255 >= ALL (grades)),
    registered timestamptz NOT NULL DEFAULT now(),
    removed timestamptz
);
CREATE UNIQUE INDEX users_registered_name ON cb_private.users (name_key) WHERE removed IS NULL;

CREATE TABLE cb_private.sessions (
    token_hash bytea PRIMARY KEY,
    user_id bigint REFERENCES cb_private.users ON DELETE CASCADE,
    admin boolean NOT NULL DEFAULT false,
    expires timestamptz NOT NULL,
    CHECK (admin = (user_id IS NULL))
);

-- test1 ... test10, each with its published versions; the limits of runs
-- the administrator sets (none by default).
CREATE TABLE cb_private.tests (
    test smallint PRIMARY KEY CHECK (test BETWEEN 1 AND 10),
    current_version integer,
    attempt_limit integer CHECK (attempt_limit > 0),
    min_pause interval CHECK (min_pause > interval '0')
);
INSERT INTO cb_private.tests (test) SELECT generate_series(1, 10);

CREATE TABLE cb_private.test_versions (
    test smallint NOT NULL REFERENCES cb_private.tests,
    version integer NOT NULL,
    published timestamptz NOT NULL DEFAULT now(),
    file bytea NOT NULL,
    digest text NOT NULL CHECK (digest ~ '^[0-9a-f]{8}$'),
    question_count integer NOT NULL CHECK (question_count > 0),
    PRIMARY KEY (test, version)
);

CREATE TABLE cb_private.questions (
    test smallint NOT NULL,
    version integer NOT NULL,
    number integer NOT NULL CHECK (number > 0),
    question text NOT NULL,
    answers text[] NOT NULL CHECK (cardinality(answers) = 5),
    -- The digit of the right answer, 0 where no button gives it.
    key smallint NOT NULL CHECK (key BETWEEN 0 AND 5),
    PRIMARY KEY (test, version, number),
    FOREIGN KEY (test, version) REFERENCES cb_private.test_versions
);

CREATE TABLE cb_private.runs (
    id bigserial PRIMARY KEY,
    user_id bigint NOT NULL REFERENCES cb_private.users ON DELETE CASCADE,
    test smallint NOT NULL,
    version integer,
    digest text NOT NULL,
    question_count integer NOT NULL,
    started timestamptz NOT NULL DEFAULT now(),
    finished timestamptz,
    right_count integer,
    grade smallint CHECK (grade BETWEEN 1 AND 5),
    -- Closed by the user's next start rather than by its own end.
    closed_by_start boolean NOT NULL DEFAULT false,
    -- The right answers' digits of a run brought in from a course folder.
    imported_right text,
    FOREIGN KEY (test, version) REFERENCES cb_private.test_versions
);
CREATE INDEX runs_user_test ON cb_private.runs (user_id, test, started);
CREATE UNIQUE INDEX runs_open ON cb_private.runs (user_id) WHERE finished IS NULL;

CREATE TABLE cb_private.answers (
    run_id bigint NOT NULL REFERENCES cb_private.runs ON DELETE CASCADE,
    number integer NOT NULL,
    digit smallint NOT NULL CHECK (digit BETWEEN 1 AND 5),
    answered timestamptz NOT NULL DEFAULT now(),
    PRIMARY KEY (run_id, number)
);

-- The test log: one row a finished run; a line brought in from a course
-- folder is kept as it was, in Windows-1251.
CREATE TABLE cb_private.log (
    id bigserial PRIMARY KEY,
    user_name text NOT NULL,
    at timestamptz NOT NULL,
    test smallint NOT NULL,
    grade smallint NOT NULL,
    run_id bigint REFERENCES cb_private.runs ON DELETE SET NULL,
    imported_line bytea
);

RESET ROLE;

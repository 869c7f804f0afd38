-- SPDX-License-Identifier: GPL-3.0-or-later
-- A student removes the account of the session's own user, as the log-in
-- panel's removal does in a folder with the name and the password: the
-- record is kept among the removed users for the teacher's restore, and the
-- user's sessions end. Nobody else's account can be named.
SET ROLE coursebook_owner;
SET LOCAL search_path = pg_catalog, cb_private;

CREATE FUNCTION cb.remove_own(token text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    u users;
BEGIN
    PERFORM guard();
    u := student(token);
    UPDATE users SET removed = clock_timestamp() WHERE id = u.id;
    DELETE FROM sessions WHERE user_id = u.id;
END
$$;

REVOKE ALL ON FUNCTION cb.remove_own(text) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION cb.remove_own(text) TO coursebook_lab;

RESET ROLE;

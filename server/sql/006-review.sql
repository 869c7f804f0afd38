-- SPDX-License-Identifier: GPL-3.0-or-later
-- A student's own view of the runs: which answers of a finished run were
-- right, for the review of mistakes after the grade, and when each test can
-- be taken again under the teacher's attempt limit and pause, for the menu.
-- Nothing here tells a key before the run it belongs to has ended, nor
-- anything of another user's.
SET ROLE coursebook_owner;
SET LOCAL search_path = pg_catalog, cb_private;

-- A question a row: the digit chosen (NULL when none) and whether it was the
-- right one. Refused for a run that is not the session's user's own or is
-- still open.
CREATE FUNCTION cb.run_review(token text, run bigint)
RETURNS TABLE (number integer, chosen smallint, is_right boolean)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    u users;
    r runs;
BEGIN
    PERFORM guard();
    u := student(token);
    SELECT * INTO r FROM runs WHERE id = run_review.run AND user_id = u.id;
    IF NOT FOUND OR r.finished IS NULL THEN
        PERFORM refuse('CB016', 'no_open_run');
    END IF;
    RETURN QUERY SELECT q.number, a.digit, coalesce(a.digit = q.key, false)
        FROM questions q LEFT JOIN answers a ON a.run_id = r.id AND a.number = q.number
        WHERE q.test = r.test AND q.version = r.version
        ORDER BY q.number;
END
$$;

-- A test with a limit a row: the attempts left (NULL: no limit) and the
-- seconds until the pause after the last start is over (0: none left).
CREATE FUNCTION cb.test_availability(token text)
RETURNS TABLE (test smallint, attempts_left integer, wait_seconds integer)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, cb_private, pg_temp AS $$
DECLARE
    u users;
BEGIN
    PERFORM guard();
    u := student(token);
    RETURN QUERY SELECT t.test,
            CASE WHEN t.attempt_limit IS NULL THEN NULL
                 ELSE greatest(t.attempt_limit - coalesce(s.taken, 0), 0)::integer END,
            CASE WHEN t.min_pause IS NULL OR s.last_start IS NULL THEN 0
                 ELSE greatest(ceil(extract(epoch FROM s.last_start + t.min_pause - now())),
                               0)::integer END
        FROM tests t LEFT JOIN LATERAL (
            SELECT count(*)::integer AS taken, max(x.started) AS last_start FROM runs x
            WHERE x.user_id = u.id AND x.test = t.test) s ON true
        WHERE t.current_version IS NOT NULL
          AND (t.attempt_limit IS NOT NULL OR t.min_pause IS NOT NULL)
        ORDER BY t.test;
END
$$;

REVOKE ALL ON FUNCTION cb.run_review(text, bigint), cb.test_availability(text) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION cb.run_review(text, bigint), cb.test_availability(text)
    TO coursebook_lab;

RESET ROLE;

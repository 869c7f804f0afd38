-- SPDX-License-Identifier: GPL-3.0-or-later
-- The rights on the database itself and the lab role's connection limit,
-- applied by a superuser after every schema change and to every database
-- made from a template, which does not take these along.
DO $database$
DECLARE
    reserve integer := current_setting('superuser_reserved_connections')::integer;
    total integer := current_setting('max_connections')::integer;
BEGIN
    EXECUTE format('REVOKE ALL ON DATABASE %I FROM PUBLIC', current_database());
    EXECUTE format('GRANT CONNECT ON DATABASE %I TO coursebook_lab', current_database());
    -- The teacher's superuser and a few others always find a free slot,
    -- whatever a student holding the lab's settings opens.
    EXECUTE format('ALTER ROLE coursebook_lab CONNECTION LIMIT %s',
                   greatest(1, total - reserve - 5));
END
$database$;

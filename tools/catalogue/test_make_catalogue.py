"""Checks of the catalogue generator that the compiled data alone would not show."""
import contextlib
import io
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import make_catalogue as mc

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))


def write(folder, name, text):
    path = os.path.join(folder, name)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    return path


class Distances(unittest.TestCase):
    def test_newer_save_wins_and_older_fills_gaps(self):
        newer, older = mc.SAVE_PRIORITY
        header = "save,src_city,dst_city,n_offers,min_km,max_km,min_ferry_time,max_ferry_time,max_ferry_price\n"
        rows = [
            (older, "goteborg", "jonkoping", 92, 0),  # today's offers say 193
            (newer, "jonkoping", "goteborg", 193, 0),
            (newer, "goteborg", "jonkoping", 196, 0),
            (older, "calais", "dover", 80, 90),
        ]
        with tempfile.TemporaryDirectory() as tmp:
            path = write(tmp, "pairs.csv", header + "".join(
                "%s,%s,%s,1,%d,%d,%d,%d,0\n" % (s, a, b, km, km, f, f) for s, a, b, km, f in rows))
            lines = mc.make_distances(path, {"goteborg", "jonkoping", "calais", "dover"})
        self.assertIn("goteborg,jonkoping,193,0", lines)
        self.assertIn("jonkoping,goteborg,193,0", lines)
        self.assertIn("calais,dover,80,90", lines)
        self.assertNotIn("goteborg,jonkoping,92,0", lines)


class Positions(unittest.TestCase):
    def test_positions_of_unknown_tokens_are_left_out_and_named(self):
        lines, unknown = mc.make_positions({"berlin": (1.5, -2.0), "atlantis": (0.0, 0.0)}, {"berlin", "paris"})
        self.assertEqual(lines, [mc.POSITIONS_HEADER, "berlin;1.5;-2"])
        self.assertEqual(unknown, ["atlantis"])

    def test_bad_rows_stop_the_generator_with_the_line(self):
        for body in ("berlin,abc,1\n", "berlin,1,nan\n", "berlin,1e9,0\n", ",1,2\n", "berlin,1,2\nberlin,3,4\n"):
            with self.subTest(body=body), tempfile.TemporaryDirectory() as tmp:
                path = write(tmp, "p.csv", "city,x,z\n" + body)
                with contextlib.redirect_stderr(io.StringIO()) as err, self.assertRaises(SystemExit):
                    mc.read_positions(path)
                self.assertIn("p.csv line", err.getvalue())

    def test_candidates_that_fit_badly_are_left_out(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = write(tmp, "c.csv", "city,x,z,source,save_offers_checked,median_abs_err_pct\n"
                                       "bitola,1,2,list,12,7.6\nmostar,3,4,list,5,22.0\n")
            self.assertEqual(mc.read_positions(path, mc.MAX_CANDIDATE_ERROR_PCT), {"bitola": (1.0, 2.0)})


class Names(unittest.TestCase):
    DEFS = {"cities": {"a_coruna": {"country": "spain"}, "pecs": {"country": "Hungary"}, "vik": {"country": "iceland"}},
            "trailers": {"krone.profiliner.single_3.curtain": {}, "scs.box.double_3_2.dryvan": {},
                         "acme.box.single_2.weird_body": {}}}
    NAMES = {"cities": {"a_coruna": {"name": "A Coru\u00f1a"}, "pecs": {"name": "P\u00e9cs"}},
             "countries": {"spain": {"name": "Espa\u00f1a"}, "hungary": {"name": "Magyarorsz\u00e1g"}},
             "trailers": {"krone.profiliner.single_3.curtain": {"body_type": "curtainside", "chain_type": "single"},
                          "scs.box.double_3_2.dryvan": {"body_type": "dryvan", "chain_type": "double"},
                          "acme.box.single_2.weird_body": {"body_type": "weird_body", "chain_type": "single"}}}

    def test_names_keyed_by_the_tokens_the_program_reads(self):
        lines = mc.make_names(self.NAMES, self.DEFS)
        self.assertEqual(lines[0], mc.NAMES_HEADER)
        self.assertIn("country;spain;Espa\u00f1a", lines)
        self.assertIn("country;hungary;Magyarorsz\u00e1g", lines)  # the snapshot's "Hungary" lowered
        self.assertIn("city;a_coruna;A Coru\u00f1a", lines)
        self.assertIn("trailer;trailer_def.krone.profiliner.single_3.curtain;Krone curtainsider", lines)
        self.assertIn("trailer;trailer_def.scs.box.double_3_2.dryvan;SCS double dry van", lines)
        self.assertIn("trailer;trailer_def.acme.box.single_2.weird_body;Acme weird body", lines)
        # A place the snapshot gives no name keeps its token in the program.
        self.assertFalse([l for l in lines if ";vik;" in l or ";iceland;" in l])

    def test_a_name_that_would_break_the_line_stops_the_generator(self):
        names = {**self.NAMES, "cities": {"a_coruna": {"name": "A;Coru\u00f1a"}}}
        with contextlib.redirect_stderr(io.StringIO()) as err, self.assertRaises(SystemExit):
            mc.make_names(names, self.DEFS)
        self.assertIn("a_coruna", err.getvalue())

    def test_names_are_written_as_utf8(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "Names.txt")
            mc.write_lines(path, ["city;lodz;\u0141\u00f3d\u017a"], encoding="utf-8")
            with open(path, "rb") as f:
                self.assertEqual(f.read(), "city;lodz;\u0141\u00f3d\u017a\n".encode("utf-8"))
            self.assertTrue(mc.write_lines(path, ["city;lodz;\u0141\u00f3d\u017a"], check_only=True, encoding="utf-8"))


class Check(unittest.TestCase):
    def test_check_needs_nothing_outside_the_repository(self):
        with tempfile.TemporaryDirectory() as tmp:
            # A clone on its own: no shared data folder beside it.
            clone = os.path.join(tmp, "clone")
            shutil.copytree(os.path.join(REPO, "tools", "catalogue"), os.path.join(clone, "tools", "catalogue"),
                            ignore=shutil.ignore_patterns("__pycache__"))
            shutil.copytree(os.path.join(REPO, "src", "catalogue", "data"),
                            os.path.join(clone, "src", "catalogue", "data"))
            script = os.path.join(clone, "tools", "catalogue", "make_catalogue.py")
            run = subprocess.run([sys.executable, script, "--check"], capture_output=True, text=True)
            self.assertEqual(run.returncode, 0, run.stderr)
            write(os.path.join(clone, "src", "catalogue", "data"), "CityPositions.txt", "stale\n")
            run = subprocess.run([sys.executable, script, "--check"], capture_output=True, text=True)
            self.assertEqual(run.returncode, 1)
            self.assertIn("CityPositions.txt", run.stderr)


if __name__ == "__main__":
    unittest.main()

#!/usr/bin/env python3
"""Regenerates the compiled catalogue (src/catalogue/data/*.txt) from the public game data.

    tools/catalogue/make_catalogue.py [--sources DIR] [--out DATA_DIR] [--check]
    tools/catalogue/make_catalogue.py --extract FULL_SOURCES_DIR

The generator reads the small extracts kept in tools/catalogue/sources/ (origins and licences in
its README), so that anyone with the repository can rebuild and check the compiled data.
--extract makes those extracts afresh from the full public downloads (a folder holding
sources/alexoq-trucker, sources/quper-realistic-economy-cargo, ...).

The game version and the date of the data live in GAME_VERSION and DATA_DATE below and are
written to Catalogue.txt, the one place the build reads them from.

When the next game version comes out: refresh the full sources, adjust GAME_VERSION / DATA_DATE /
the source file names below, run --extract, run this script and commit the diff of
tools/catalogue/sources/ and src/catalogue/data/.
"""
import argparse
import csv
import datetime
import json
import os
import re
import sys

# The game build the game-defs snapshot was parsed from, and the day of that snapshot.
GAME_VERSION = "1.58"
DATA_DATE = datetime.date(2026, 3, 19)

# The full public downloads, below the folder given to --extract.
FULL_GAME_DEFS = "sources/alexoq-trucker/game-defs.ets2.json"
FULL_RAW_CARGO_DIR = "sources/quper-realistic-economy-cargo/def/cargo"
FULL_SAVE_TRAILER_BLOCKS = "sources/derived-from-saves/trailer_defs_weige0903_game.sii_4cec4fef.csv"
FULL_PAIR_DISTANCES = "sources/derived-from-saves/city_pair_distances.csv"
FULL_CITY_POSITIONS = "sources/koenvh-city-positions/ets2-cities.csv"
FULL_CITY_POSITION_CANDIDATES = "sources/koenvh-city-positions/ets2-cities-candidates.csv"
FULL_CITY_POSITIONS_LICENCE = "sources/koenvh-city-positions/LICENSE.md"

# The extracts the generator reads, in tools/catalogue/sources/.
GAME_DEFS = "game-defs.json"
RAW_CARGO = "raw-cargo-defs.json"
SAVE_TRAILER_BLOCKS = "save-trailer-blocks.csv"
PAIR_DISTANCES = "city-pair-distances.csv"
CITY_POSITIONS = "city-positions.csv"
# Cities of today's game that only a mod list or another spelling places, each with the median
# error of the estimate against real offers; those that fit worse than this are left out.
CITY_POSITION_CANDIDATES = "city-position-candidates.csv"
MAX_CANDIDATE_ERROR_PCT = 20.0
CITY_POSITIONS_LICENCE = "city-positions-LICENSE.txt"
# The names players read: cities and countries as the game shows them, trailer body and chain.
NAMES = "game-names.json"

# What the generator uses of the game-defs snapshot and of the raw cargo_data units.
GAME_DEFS_FIELDS = {
    "cities": ["country"],
    "cargo": ["fragility", "high_value", "adr_class", "groups", "volume", "mass", "value"],
    "trailers": ["gross_weight_limit", "chassis_mass", "body_mass", "length", "volume", "country_validity"],
}
# What the names extract keeps of the same snapshot.
NAMES_FIELDS = {
    "cities": ["name"],
    "countries": ["name"],
    "trailers": ["body_type", "chain_type"],
}
RAW_CARGO_FIELDS = ["overweight", "maximum_distance", "fragility", "valuable", "adr_class", "group", "volume",
                    "mass", "unit_reward_per_km"]
# Later saves first: their distances replace those of older game versions.
SAVE_PRIORITY = ["sn3akyEZ_IndiaAutoBlog_819089be", "weige0903_game.sii_4cec4fef"]

# The game's cargo_data documentation gives no default for "fragility". The cargos whose raw
# definitions leave it out are glass, packed glass, tableware, mason jars, potted flowers,
# explosives, fireworks, ammunition, vaccines, compressed gases, live animals, a helicopter and a
# yacht: exactly the loads the game treats as most delicate. An omitted value therefore stands for
# the top of the scale, 1.0, the value the game-defs parser also reports for those cargos.
GAME_DEFAULT_FRAGILITY = 1.0

# Bit positions of the program's cargo group set; game groups outside it (e.g. "adr") are dropped.
CARGO_GROUP_BITS = ["nogroup", "bulk", "construction", "containers", "machinery",
                    "refrigerated", "gooseneck", "liquid", "livestock", "inloader"]

NAMES_HEADER = "# Kind; token; name shown to the player (UTF-8)"
# Trailer makers as they spell themselves; a token not listed here is shown with a capital.
TRAILER_BRANDS = {
    "scs": "SCS",
    "schmitz": "Schmitz Cargobull",
    "kassbohrer": "K\u00e4ssbohrer",
    "kogel": "K\u00f6gel",
    "schwmuller": "Schwarzm\u00fcller",
}
# The game's body types in words; one not listed here is shown as its token, blanks for "_".
TRAILER_BODIES = {
    "dryvan": "dry van",
    "curtainside": "curtainsider",
    "flatbed_brck": "flatbed",
    "log": "timber",
    "chemtank": "chemical tank",
    "foodtank": "food tank",
    "fueltank": "fuel tank",
    "gastank": "gas tank",
}
# Only trailer chains get a word: a single trailer is what a player expects.
TRAILER_CHAINS = {"double": "double", "b_double": "B-double", "hct": "HCT"}

DISTANCE_HEADER = "# Departure, Destination, shortest distance (km), ferry time (m) "
POSITIONS_HEADER = "# City; x; z (game-world units)"
# Positions beyond this are not of the game's map (which spans about +-150,000 units).
MAX_POSITION = 1.0e6


def fail(message):
    print("make_catalogue: " + message, file=sys.stderr)
    sys.exit(1)


def number_text(value):
    """Shortest decimal text of a number, with "." and without a trailing ".0"."""
    value = float(value)
    if value == int(value):
        return str(int(value))
    return repr(value)


def latin1_safe(text):
    try:
        text.encode("latin-1")
    except UnicodeEncodeError:
        fail("not representable in Latin-1: %r" % text)
    return text


def country_display_name(token):
    """The country as the user sees it; lower-cases back to the game's token."""
    token = token.strip().lower()
    if len(token) <= 2:
        return token.upper()
    return token[0].upper() + token[1:]


# ---------------------------------------------------------------- raw cargo definitions

def read_raw_cargo_defs(folder):
    """The cargo_data units of the raw definition files: {cargo id: {attribute: [values]}}."""
    units = {}
    unit_start = re.compile(r"^\s*cargo_data\s*:\s*([\w.]+)")
    attribute = re.compile(r"^\s*(\w+)(\[\])?\s*:\s*(.*?)\s*$")
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".sui"):
            continue
        current = None
        with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
            for line in f:
                line = line.split("#", 1)[0].split("//", 1)[0]
                m = unit_start.match(line)
                if m:
                    current = units.setdefault(m.group(1), {})
                    continue
                if current is None or line.strip() in ("{", "}", ""):
                    continue
                m = attribute.match(line)
                if m:
                    current.setdefault(m.group(1), []).append(m.group(3).strip('"'))
    return units


def raw_value(unit, key, default=None):
    values = unit.get(key)
    return values[-1] if values else default


def group_mask(groups):
    mask = 0
    for g in groups:
        if g in CARGO_GROUP_BITS:
            mask |= 1 << CARGO_GROUP_BITS.index(g)
    if mask == 0:
        mask = 1  # nogroup
    return mask


def cargo_line(cargo_id, fragility, valuable, adr, groups, volume, mass, reward, heavy, max_distance):
    return ";".join([
        cargo_id,
        number_text(fragility),
        "1" if valuable else "0",
        str(int(adr)),
        str(group_mask(groups)),
        number_text(volume),
        number_text(mass),
        number_text(reward),
        "1" if heavy else "0",
        str(int(max_distance)),
    ])


def make_cargos(defs, raw):
    lines = []
    only_raw = []
    for name in sorted(set(defs["cargo"]) | {k.split(".", 1)[1] for k in raw}):
        cargo_id = "cargo." + name
        unit = raw.get(cargo_id, {})
        heavy = raw_value(unit, "overweight", "false") == "true"
        max_distance = raw_value(unit, "maximum_distance")
        max_distance = int(float(max_distance)) if max_distance else -1
        if name in defs["cargo"]:
            c = defs["cargo"][name]
            fragility = c.get("fragility")
            if unit and raw_value(unit, "fragility") is None:
                fragility = GAME_DEFAULT_FRAGILITY
            if fragility is None:
                fragility = GAME_DEFAULT_FRAGILITY
            lines.append(cargo_line(cargo_id, fragility, c.get("high_value"), c.get("adr_class") or 0,
                                    c.get("groups") or [], c["volume"], c["mass"], c["value"],
                                    heavy, max_distance))
        else:
            # Special-transporter and oversize cargos the game-defs snapshot leaves out.
            only_raw.append(name)
            fragility = raw_value(unit, "fragility")
            lines.append(cargo_line(
                cargo_id,
                float(fragility) if fragility is not None else GAME_DEFAULT_FRAGILITY,
                raw_value(unit, "valuable", "false") == "true",
                int(raw_value(unit, "adr_class", "0")),
                unit.get("group", []),
                float(raw_value(unit, "volume", "1")),
                float(raw_value(unit, "mass", "0")),
                float(raw_value(unit, "unit_reward_per_km", "0")),
                heavy, max_distance))
    return lines, only_raw


# ---------------------------------------------------------------- trailers

CHAINED_KINDS = ("double", "bdouble", "hct")


def axles_from_token(trailer_id):
    """Axle count from the chassis token of a trailer id ("scs.box.double_3_2.curtain" -> 5).

    The token is the chain kind followed by "_"-separated groups. Chained kinds (double, bdouble,
    hct) list one single-digit axle count per trailer; for single trailers (single, singl, ch)
    only the first group counts axles and later groups name lengths or container sizes
    ("single_3_15", "ch_3_33_dal"). A two-digit first group is an axle split ("single_41" = 4+1).
    """
    parts = trailer_id.split(".")
    if len(parts) < 3:
        return 0
    groups = parts[2].split("_")
    kind, rest = groups[0], groups[1:]
    counts = []
    for g in rest:
        m = re.match(r"(\d+)", g)
        counts.append(m.group(1) if m else None)
    if not counts or counts[0] is None:
        return 0
    if kind in CHAINED_KINDS:
        return sum(int(c) for c in counts if c is not None and len(c) == 1)
    return sum(int(d) for d in counts[0])


def read_save_trailer_axles(path):
    axles = {}
    with open(path, newline="", encoding="utf-8") as f:
        for row in csv.DictReader(f):
            if row["source_name"].startswith("trailer_def."):
                axles[row["source_name"]] = int(row["axles"])
    return axles


def make_trailers(defs, save_axles):
    lines = []
    checked = 0
    for trailer_id in sorted(defs["trailers"]):
        t = defs["trailers"][trailer_id]
        token = "trailer_def." + trailer_id
        axles = axles_from_token(trailer_id)
        if axles <= 0:
            fail("no axle count in trailer token " + token)
        if token in save_axles:
            checked += 1
            if save_axles[token] != axles:
                fail("axles of %s: token says %d, the save says %d" % (token, axles, save_axles[token]))
        fields = [
            latin1_safe(token),
            str(int(t["gross_weight_limit"])),
            # The empty trailer weighs its chassis plus its body, as the game adds them up.
            str(int(t["chassis_mass"]) + int(t.get("body_mass") or 0)),
            number_text(t["length"]),
            str(axles),
            number_text(t["volume"]),
        ]
        validity = t.get("country_validity") or []
        if validity:
            fields.append(",".join(sorted(v.strip().lower() for v in validity)))
        lines.append(";".join(fields))
    # Tokens of the save's own trailer blocks that this game version no longer has still tell
    # whether the token rule reads axles right.
    for token, axles in save_axles.items():
        if axles_from_token(token[len("trailer_def."):]) != axles:
            fail("axle rule disagrees with the save for " + token)
    return lines, checked


# ---------------------------------------------------------------- countries and distances

def make_countries(defs):
    lines = []
    for city in sorted(defs["cities"]):
        country = defs["cities"][city]["country"].strip().lower()  # fixes "Hungary" for pecs
        lines.append("%s;%s" % (latin1_safe(city), country_display_name(country)))
    return lines


def shown_name(kind, token, name):
    """One line of the names table; a name that would break the line stops the generator."""
    name = " ".join((name or "").split())
    if not name or ";" in name or ";" in token:
        fail("%s %r: no usable name %r" % (kind, token, name))
    return "%s;%s;%s" % (kind, token, name)


def trailer_shown_name(trailer_id, body_type, chain_type):
    """Maker, chain and body in words ("Krone curtainsider", "SCS double dry van")."""
    brand = trailer_id.split(".", 1)[0]
    words = [TRAILER_BRANDS.get(brand, brand[:1].upper() + brand[1:])]
    if chain_type in TRAILER_CHAINS:
        words.append(TRAILER_CHAINS[chain_type])
    if body_type:
        words.append(TRAILER_BODIES.get(body_type, body_type.replace("_", " ")))
    return " ".join(words)


def make_names(names, defs):
    """Cities and countries by the names the game shows, and the trailers in words.

    Keyed by the tokens the program reads and writes: the city token of the save, the lower-case
    country token (the country of Countries.txt lowered) and the trailer definition."""
    lines = [NAMES_HEADER]
    countries = {defs["cities"][c]["country"].strip().lower() for c in defs["cities"]}
    for token in sorted(countries):
        name = names["countries"].get(token, {}).get("name")
        if name:
            lines.append(shown_name("country", token, name))
    for token in sorted(defs["cities"]):
        name = names["cities"].get(token, {}).get("name")
        if name:
            lines.append(shown_name("city", token, name))
    for trailer_id in sorted(defs["trailers"]):
        t = names["trailers"].get(trailer_id, {})
        lines.append(shown_name("trailer", "trailer_def." + trailer_id,
                                trailer_shown_name(trailer_id, t.get("body_type"), t.get("chain_type"))))
    return lines


def make_distances(path, cities):
    by_save = {}
    with open(path, newline="", encoding="utf-8") as f:
        for row in csv.DictReader(f):
            by_save.setdefault(row["save"], []).append(row)
    unknown_saves = set(by_save) - set(SAVE_PRIORITY)
    if unknown_saves:
        fail("no priority for saves " + ", ".join(sorted(unknown_saves)))
    pairs = {}
    for save in SAVE_PRIORITY:
        found = {}
        for row in by_save.get(save, []):
            a, b = row["src_city"].strip(), row["dst_city"].strip()
            if a not in cities or b not in cities:
                continue
            km, ferry = int(row["min_km"]), int(row["min_ferry_time"])
            key = (min(a, b), max(a, b))
            # Both directions get one value: the shorter of the two the save offers.
            if key not in found or km < found[key][0]:
                found[key] = (km, ferry)
        for key, value in found.items():
            pairs.setdefault(key, value)
    lines = [DISTANCE_HEADER]
    rows = []
    for (a, b), (km, ferry) in pairs.items():
        rows.append((a, b, km, ferry))
        if a != b:
            rows.append((b, a, km, ferry))
    for a, b, km, ferry in sorted(rows):
        lines.append("%s,%s,%d,%d" % (a, b, km, ferry))
    return lines


def read_positions(path, max_error_pct=None):
    """{city: (x, z)} of a positions file; a malformed row stops the generator. With max_error_pct,
    rows whose measured median_abs_err_pct is above it are left out."""
    positions = {}
    with open(path, newline="", encoding="utf-8") as f:
        for n, row in enumerate(csv.DictReader(f), start=2):
            if max_error_pct is not None and float(row.get("median_abs_err_pct") or "inf") > max_error_pct:
                continue
            try:
                city = row["city"].strip()
                x, z = float(row["x"]), float(row["z"])
            except (KeyError, TypeError, ValueError):
                fail("%s line %d: not city,x,z" % (path, n))
            if not city or not (abs(x) <= MAX_POSITION and abs(z) <= MAX_POSITION):
                fail("%s line %d: no city or a position off the map" % (path, n))
            if city in positions:
                fail("%s line %d: %s appears twice" % (path, n, city))
            positions[city] = (x, z)
    return positions


def make_positions(positions, cities):
    """Lines city;x;z for the cities of the game; returns them and the tokens left out."""
    lines = [POSITIONS_HEADER]
    for city in sorted(positions):
        if city in cities:
            x, z = positions[city]
            lines.append("%s;%s;%s" % (latin1_safe(city), number_text(x), number_text(z)))
    unknown = sorted(set(positions) - set(cities))
    return lines, unknown


def write_lines(path, lines, check_only=False, encoding="latin-1"):
    """Writes the file (atomically); with check_only, reports whether it would change instead."""
    data = "".join(line + "\n" for line in lines).encode(encoding)
    if check_only:
        try:
            with open(path, "rb") as f:
                return f.read() == data
        except OSError:
            return False
    write_bytes(path, data)
    return True


def extract_sources(full, dest):
    """Writes the extracts of the full public downloads that the generator reads."""
    full = os.path.abspath(full)
    if not os.path.isfile(os.path.join(full, FULL_GAME_DEFS)):
        fail("no game-defs snapshot under " + full)
    with open(os.path.join(full, FULL_GAME_DEFS), encoding="utf-8") as f:
        defs = json.load(f)
    defs_extract = {section: {key: {field: item[field] for field in fields if field in item}
                              for key, item in defs[section].items()}
                    for section, fields in GAME_DEFS_FIELDS.items()}
    names_extract = {section: {key: {field: item[field] for field in fields if field in item}
                               for key, item in defs[section].items()}
                     for section, fields in NAMES_FIELDS.items()}
    raw = read_raw_cargo_defs(os.path.join(full, FULL_RAW_CARGO_DIR))
    raw_extract = {cargo: {k: v for k, v in unit.items() if k in RAW_CARGO_FIELDS} for cargo, unit in raw.items()}
    os.makedirs(dest, exist_ok=True)
    for name, data in ((GAME_DEFS, defs_extract), (RAW_CARGO, raw_extract), (NAMES, names_extract)):
        text = json.dumps(data, sort_keys=True, indent=0, ensure_ascii=False) + "\n"
        write_bytes(os.path.join(dest, name), text.encode("utf-8"))
    for source, name in ((FULL_SAVE_TRAILER_BLOCKS, SAVE_TRAILER_BLOCKS), (FULL_PAIR_DISTANCES, PAIR_DISTANCES),
                         (FULL_CITY_POSITIONS, CITY_POSITIONS),
                         (FULL_CITY_POSITION_CANDIDATES, CITY_POSITION_CANDIDATES),
                         (FULL_CITY_POSITIONS_LICENCE, CITY_POSITIONS_LICENCE)):
        with open(os.path.join(full, source), "rb") as f:
            write_bytes(os.path.join(dest, name), f.read())
    print("extracts written to " + dest)


def write_bytes(path, data):
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    repo = os.path.dirname(os.path.dirname(here))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--sources", default=os.path.join(here, "sources"),
                        help="the folder of the extracts (default: tools/catalogue/sources)")
    parser.add_argument("--out", default=os.path.join(repo, "src", "catalogue", "data"))
    parser.add_argument("--check", action="store_true",
                        help="write nothing; exit 1 when the files differ from what the sources give")
    parser.add_argument("--extract", metavar="FULL_SOURCES_DIR",
                        help="write the extracts into --sources from the full public downloads, then stop")
    args = parser.parse_args()
    src = os.path.abspath(args.sources)
    if args.extract:
        extract_sources(args.extract, src)
        return
    if not os.path.isfile(os.path.join(src, GAME_DEFS)):
        fail("no game-defs extract under " + src)

    with open(os.path.join(src, GAME_DEFS), encoding="utf-8") as f:
        defs = json.load(f)
    with open(os.path.join(src, RAW_CARGO), encoding="utf-8") as f:
        raw = json.load(f)
    with open(os.path.join(src, NAMES), encoding="utf-8") as f:
        names = json.load(f)
    save_axles = read_save_trailer_axles(os.path.join(src, SAVE_TRAILER_BLOCKS))

    countries = make_countries(defs)
    shown_names = make_names(names, defs)
    cargos, only_raw = make_cargos(defs, raw)
    trailers, checked = make_trailers(defs, save_axles)
    distances = make_distances(os.path.join(src, PAIR_DISTANCES), set(defs["cities"]))
    known_positions = read_positions(os.path.join(src, CITY_POSITIONS))
    for city, position in read_positions(os.path.join(src, CITY_POSITION_CANDIDATES),
                                         MAX_CANDIDATE_ERROR_PCT).items():
        known_positions.setdefault(city, position)
    positions, unknown_positions = make_positions(known_positions, set(defs["cities"]))
    timestamp = int(datetime.datetime(DATA_DATE.year, DATA_DATE.month, DATA_DATE.day,
                                      tzinfo=datetime.timezone.utc).timestamp())

    outputs = {
        "Countries.txt": countries,
        "Cargos.txt": cargos,
        "TrailerDefinitions.txt": trailers,
        "Distances.txt": distances,
        "CityPositions.txt": positions,
        "Names.txt": shown_names,
        "Catalogue.txt": ["game-version=%s" % GAME_VERSION, "data-timestamp=%d" % timestamp],
    }
    if not args.check:
        os.makedirs(args.out, exist_ok=True)
    # Only the names need more than Latin-1 ("Łódź", "Ελληνική Δημοκρατία").
    stale = [name for name, lines in outputs.items()
             if not write_lines(os.path.join(args.out, name), lines, check_only=args.check,
                                encoding="utf-8" if name == "Names.txt" else "latin-1")]
    if args.check and stale:
        fail("out of date: " + ", ".join(stale))

    print("cities %d in %d countries" % (len(countries), len({l.split(";")[1] for l in countries})))
    print("cargos %d (%d only in the raw definitions: %s)" % (len(cargos), len(only_raw), " ".join(only_raw)))
    print("trailers %d (axles checked against %d save blocks)" % (len(trailers), checked))
    print("names %d" % (len(shown_names) - 1))
    print("distance lines %d" % (len(distances) - 1))
    print("city positions %d (%d cities of the game have none)" % (len(positions) - 1,
                                                                   len(countries) - (len(positions) - 1)))
    if unknown_positions:
        print("positions left out, not cities of this game version: " + " ".join(unknown_positions))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Writes the sample drive: 25 minutes of APRS traffic around the default home position
N42.00.00 E012.00.00, on the coast north-west of Rome, as a log vireo-agw-replay plays.

Ten moving stations: three cars, a van and a lorry on the coast roads, a jogger, a cyclist heard
through an internet gateway (a relayed "}" packet), a boat at sea, a balloon climbing and a light
aircraft, in the three position formats (Mic-E, uncompressed, compressed). Among them: fixed
stations (a house, a digipeater, a weather station, a parked car), status and message packets,
and damaged packets. Only the moving stations' positions may reach the station list.

    tools/make_sample_drive.py [--out FILE] [--decoder build/vireo-aprs-decode]

With --decoder, every packet is also run through the decoding tool and checked: each moving
station's position decodes to where it was put, everything else gives "-".
"""
import argparse
import datetime
import math
import os
import random
import subprocess
import sys

START = datetime.datetime(2024, 5, 18, 9, 0, 0, tzinfo=datetime.timezone.utc)
MINUTES = 25
KNOT_KMH = 1.852
EARTH_RADIUS_M = 6378000.0


def distance_m(a, b):
    """Great-circle distance between (lat, lon) points in degrees."""
    la1, lo1, la2, lo2 = map(math.radians, (*a, *b))
    h = math.sin((la2 - la1) / 2) ** 2 + math.cos(la1) * math.cos(la2) * math.sin((lo2 - lo1) / 2) ** 2
    return 2 * EARTH_RADIUS_M * math.asin(math.sqrt(h))


def bearing(a, b):
    la1, lo1, la2, lo2 = map(math.radians, (*a, *b))
    y = math.sin(lo2 - lo1) * math.cos(la2)
    x = math.cos(la1) * math.sin(la2) - math.sin(la1) * math.cos(la2) * math.cos(lo2 - lo1)
    return (math.degrees(math.atan2(y, x)) + 360) % 360


def along(route, metres):
    """Position and course after `metres` along `route`, back and forth without end."""
    legs = [(route[i], route[i + 1], distance_m(route[i], route[i + 1])) for i in range(len(route) - 1)]
    total = sum(leg[2] for leg in legs)
    metres %= 2 * total
    backwards = metres > total
    if backwards:
        metres = 2 * total - metres
    for a, b, length in legs:
        if metres <= length:
            f = metres / length
            point = (a[0] + (b[0] - a[0]) * f, a[1] + (b[1] - a[1]) * f)
            course = bearing(a, b)
            return point, (course + 180) % 360 if backwards else course
        metres -= length
    return legs[-1][1], bearing(legs[-1][0], legs[-1][1])


# ---- the three position formats

def ddmm(value, degree_digits, hemispheres):
    """Degrees as APRS "ddmm.hhN" / "dddmm.hhE" text, and the whole hundredths of minutes."""
    hundredths = round(abs(value) * 6000)
    deg, rest = divmod(hundredths, 6000)
    text = f"{deg:0{degree_digits}d}{rest // 100:02d}.{rest % 100:02d}"
    return text + hemispheres[0 if value >= 0 else 1], hundredths


def uncompressed(point, course, knots, symbol, feet=None, comment=""):
    lat, _ = ddmm(point[0], 2, "NS")
    lon, _ = ddmm(point[1], 3, "EW")
    text = f"{lat}{symbol[0]}{lon}{symbol[1]}{round(course) % 360 or 360:03d}/{round(knots):03d}"
    if feet is not None:
        text += f"/A={round(feet):06d}"
    return text + comment


def base91(value, width):
    out = ""
    for _ in range(width):
        value, digit = divmod(value, 91)
        out = chr(33 + digit) + out
    return out


def compressed(point, course, knots, symbol, feet=None, comment=""):
    lat = base91(int(380926 * (90 - point[0])), 4)
    lon = base91(int(190463 * (180 + point[1])), 4)
    c = chr(33 + round(course / 4) % 90)
    s = chr(33 + round(math.log(knots + 1) / math.log(1.08)))
    kind = chr(33 + 0b111010)  # current fix, from RMC, software: course and speed in "cs"
    text = symbol[0] + lat + lon + symbol[1] + c + s + kind
    if feet is not None:
        text += f"/A={round(feet):06d}"
    return text + comment


def mic_e(point, course, knots, symbol, metres=None, comment=""):
    """(destination, information field) of a Mic-E report, message "En Route"."""
    lat, _ = ddmm(point[0], 2, "NS")
    digits = lat[:4] + lat[5:7]
    # Message bits 1, 1, 0; north; longitude offset 0 (10-99 degrees); east.
    flags = [True, True, False, point[0] >= 0, False, point[1] < 0]
    destination = "".join(chr(ord("P") + int(d)) if f else d for d, f in zip(digits, flags))
    hundredths = round(abs(point[1]) * 6000)
    deg, rest = divmod(hundredths, 6000)
    minutes, hund = divmod(rest, 100)
    assert 10 <= deg <= 99
    knots, course = round(knots), round(course) % 360
    info = "`" + chr(deg + 28) + chr(minutes + (88 if minutes < 10 else 28)) + chr(hund + 28)
    info += chr(28 + knots // 10) + chr(28 + (knots % 10) * 10 + course // 100) + chr(28 + course % 100)
    info += symbol[1] + symbol[0]
    if metres is not None:
        info += base91(round(metres) + 10000, 3) + "}"
    return destination, info + comment


# ---- the stations

COAST_ROAD = [(41.930, 12.200), (41.968, 12.100), (41.998, 12.030), (42.026, 11.965), (42.050, 11.880),
              (42.085, 11.815)]
MOTORWAY = [(41.905, 12.215), (41.955, 12.115), (41.990, 12.045), (42.020, 11.985), (42.045, 11.905),
            (42.095, 11.830)]
HILL_ROAD = [(41.996, 12.100), (42.030, 12.120), (42.060, 12.140), (42.100, 12.175)]
INLAND_ROAD = [(41.950, 12.080), (41.992, 12.098), (42.040, 12.055), (42.080, 12.020)]
SEA_LANE = [(41.905, 12.010), (41.960, 11.920), (42.010, 11.800), (42.050, 11.700)]
SEAFRONT = [(42.016, 11.957), (41.995, 12.000), (41.972, 12.040), (41.948, 12.075)]
JOGGING_LOOP = [(42.000, 12.000), (42.004, 12.006), (42.008, 12.001), (42.004, 11.994), (42.000, 12.000)]
BALLOON_DRIFT = [(42.020, 12.050), (42.120, 12.200)]
AIRCRAFT_CIRCUIT = [(41.970, 12.070), (42.080, 11.900), (42.160, 12.050), (42.050, 12.250),
                    (41.970, 12.070)]

# call, format, symbol (table, code), route, km/h, seconds between reports, first report, path
MOVING = [
    ("CAR1-9", "mic-e", "/>", COAST_ROAD, 65, 30, 2, "WIDE1-1,WIDE2-1"),
    ("CAR2-9", "uncompressed", "/>", MOTORWAY, 110, 30, 4, "WIDE1-1,WIDE2-1"),
    ("CAR3-9", "mic-e", "/j", HILL_ROAD, 55, 40, 6, "WIDE1-1"),
    ("VAN1-9", "compressed", "/v", INLAND_ROAD, 50, 40, 8, "WIDE1-1,WIDE2-1"),
    ("LORRY1-9", "mic-e", "/k", MOTORWAY[::-1], 85, 60, 10, "WIDE2-1"),
    ("JOG1-7", "mic-e", "/[", JOGGING_LOOP, 10, 60, 12, "WIDE1-1"),
    ("BIKE1-7", "relayed", "/b", SEAFRONT, 22, 45, 14, ""),
    ("BOAT1-8", "uncompressed", "/s", SEA_LANE, 28, 90, 16, "WIDE1-1,WIDE2-1"),
    ("BALL1-11", "compressed", "/O", BALLOON_DRIFT, 20, 60, 18, "WIDE2-1"),
    ("PLANE1-15", "uncompressed", "/'", AIRCRAFT_CIRCUIT, 180, 20, 20, ""),
]
GATEWAY = "IGATE1-10"
COMMENTS = {"CAR1-9": " To the beach", "VAN1-9": "Deliveries", "LORRY1-9": " A12 to Rome",
            "BOAT1-8": " Sailing", "BALL1-11": " Flight 1", "PLANE1-15": " Circuit",
            "BIKE1-7": " Morning ride"}


def altitude_m(call, elapsed):
    if call == "BALL1-11":
        return 40 + 5.0 * elapsed  # climbing 5 m/s
    if call == "PLANE1-15":
        return 900 + 300 * math.sin(elapsed / 120)
    if call == "CAR3-9":
        return 80 + 120 * (1 - math.cos(elapsed / 300))
    return None


def moving_packets(rng):
    """(time, tnc2, expected) for every report; expected is (call, lat, lon, icon)."""
    icons = {">": "CA", "j": "JE", "v": "VA", "k": "TR", "[": "JO", "b": "CY", "s": "BO",
             "O": "BA", "'": "AI"}
    out = []
    for call, kind, symbol, route, kmh, every, first, path in MOVING:
        t = first
        while t < MINUTES * 60:
            point, course = along(route, kmh / 3.6 * t)
            knots = kmh * rng.uniform(0.9, 1.1) / KNOT_KMH
            alt = altitude_m(call, t)
            comment = COMMENTS.get(call, "")
            via = "," + path if path else ""
            if kind == "mic-e":
                dest, info = mic_e(point, course, knots, symbol, alt, comment)
                tnc2 = f"{call}>{dest}{via}:{info}"
            elif kind == "compressed":
                feet = None if alt is None else alt / 0.3048
                tnc2 = f"{call}>APRS{via}:!{compressed(point, course, knots, symbol, feet, comment)}"
            else:
                feet = None if alt is None else alt / 0.3048
                body = uncompressed(point, course, knots, symbol, feet, comment)
                if kind == "relayed":
                    tnc2 = f"{GATEWAY}>APRS,WIDE2-1:}}{call}>APRS,TCPIP,{GATEWAY}*:={body}"
                elif call == "BOAT1-8":
                    stamp = (START + datetime.timedelta(seconds=t)).strftime("%d%H%Mz")
                    tnc2 = f"{call}>APRS{via}:@{stamp}{body}"
                else:
                    tnc2 = f"{call}>APRS{via}:!{body}"
            out.append((t, tnc2, (call, point[0], point[1], icons[symbol[1]])))
            t += every + rng.randint(-3, 3)
    return out


# Fixed stations, other packets and damaged ones: each must give no position. (seconds, packet)
FIXED = [
    (0, "HOME1>APRS:!4200.00N/01200.00E-PHG2130 Home"),
    (1, "DIGI1>APRS:!4203.50N/01157.80E#PHG5360 Digipeater on the hill"),
    (3, "WX1>APRS,WIDE2-1:@180900z4159.10N/01203.20E_090/005g010t068r000p000P000h65b10150"),
    (5, "CAR4-9>APRS,WIDE1-1:=4201.00N/01201.50E>Parked at the station"),
]
OTHER = [
    (25, "CAR1-9>APRS,WIDE1-1:>On the way, QRV 145.500"),
    (95, "VAN1-9>APRS:Shipment of the day :-)"),
    (130, "BOAT1-8>APRS,WIDE2-1::CAR1-9   :See you at the harbour{01"),
    (180, "HOME1>APRS:;BBQ      *181000z4200.50N/01200.50E;Saturday party"),
]
DAMAGED = [
    (40, "CAR1-9>SUSR0Z,WIDE1-1:`(_fn<O"),  # cut short
    (70, "CAR3-9>S!2V6?,WIDE1-1:`(Xn<O>j/"),  # "!" in the destination
    (110, "CAR2-9>APRS,WIDE1-1:!42O1.23N/01203.45E>090/030"),  # letter O in the latitude
    (150, "CAR2-9>APRS,WIDE1-1:!4275.00N/01203.45E>090/030"),  # 75 minutes
    (200, "PLANE1-15>APRS:!4201.00N/01203.00E'400/097/A=003000"),  # course 400
    (240, "VAN1-9>APRS:!/5L|<*e7v7P["),  # "|" is no base-91 digit
    (280, f"{GATEWAY}>APRS,WIDE2-1:}}BIKE1-7>APRS,TCPIP,{GATEWAY}*=4201.23N/01158.20Eb120/012"),  # no ":"
    (320, "BOAT1-8>APRS:=4158.2"),  # cut short
]


def others():
    out = []
    for offset, packet in FIXED:
        out += [(t, packet) for t in range(offset, MINUTES * 60, 600)]
    return out + OTHER + DAMAGED


def check(decoder, moving, rest):
    lines = [p for _, p, _ in moving] + [p for _, p in rest]
    result = subprocess.run([decoder], input="\n".join(lines) + "\n", capture_output=True, check=True,
                            text=True, encoding="latin-1")
    answers = result.stdout.splitlines()
    bad = []
    for (_, packet, (call, lat, lon, icon)), answer in zip(moving, answers):
        fields = answer.split("\t")
        if len(fields) != 5:
            bad.append(f"no position from {packet!r}")
            continue
        got_lat = int(fields[1][:2]) + float(fields[1][2:7]) / 60
        got_lon = int(fields[1][9:12]) + float(fields[1][12:17]) / 60
        if (fields[0].strip() != call or fields[4] != icon or abs(got_lat - lat) > 0.0005
                or abs(got_lon - lon) > 0.0005):
            bad.append(f"{packet!r} decodes as {answer!r}")
    for (_, packet), answer in zip(rest, answers[len(moving):]):
        if answer != "-":
            bad.append(f"{packet!r} must give no position, gives {answer!r}")
    for line in bad:
        print(line, file=sys.stderr)
    print(f"{len(moving)} positions of {len(MOVING)} moving stations decode, "
          f"{len(rest)} other packets give none: {'FAIL' if bad else 'ok'}")
    return not bad


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--out", default=os.path.join(root, "resources", "samples", "sample-drive.log"))
    parser.add_argument("--decoder", help="the decoding tool (vireo-aprs-decode) to check the packets with")
    args = parser.parse_args()

    rng = random.Random(20240518)
    moving = moving_packets(rng)
    rest = others()
    if args.decoder and not check(args.decoder, moving, rest):
        return 1
    timeline = sorted([(t, p) for t, p, _ in moving] + rest, key=lambda item: item[0])
    with open(args.out, "w", encoding="latin-1", newline="\n") as out:
        out.write(f"# Vireo Decoder sample drive: {len(MOVING)} moving stations around N42.00.00 E012.00.00,\n"
                  f"# {MINUTES} minutes. Written by tools/make_sample_drive.py; play it with vireo-agw-replay.\n")
        for t, packet in timeline:
            stamp = (START + datetime.timedelta(seconds=t)).strftime("%Y-%m-%dT%H:%M:%SZ")
            out.write(f"{stamp} {packet}\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())

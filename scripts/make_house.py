#!/usr/bin/env python3
"""Writes doc/house.txt: a Korav script that draws a small house with the palette's tools, as a
user would: outer and inner walls, connected; doors and windows; six rooms with their names.
Run it with  korav --script doc/house.txt  (it saves house.krv in the current directory)."""
import os

H = 0.365 / 2  # half the outer wall
out = []
def say(s): out.append(s)
def click(x, y): say(f"click {x:g} {y:g}")
def wall(x1, y1, x2, y2):
    say("b_wall_axis"); click(x1, y1); click(x2, y2); click(x2, y2); say("p_nop")
def door(wx, wy, a, b, outer, leaf):
    say("b_opening_door"); click(wx, wy); click(*a); click(*b); click(*b); click(*outer); click(*leaf)
    say("p_nop")
def window(wx, wy, a, b, outer):
    say("b_opening_window"); click(wx, wy); click(*a); click(*b); click(*b); click(*outer)
    say("p_nop")
def room(x1, y1, x2, y2, name, number):
    say("b_room_range"); click(x1, y1); click(x2, y2); click(x2, y2)
    # The inscription's four lines about the middle of the room.
    tx, ty = max(x1 + 0.12, (x1 + x2) / 2 - 0.8), (y1 + y2) / 2 + 0.6
    click(tx, ty); click(tx, ty); say(f"type {name}"); say(f"type {number}"); say("p_nop")

say("# A small house: 14 x 10 m, a garage beside it. Made by scripts/make_house.py.")
say("set Toolbar/Snap off")
say("set Textsize/Size 2.5")
say("set Text/Font SimpelProp")
# Outer walls, 36.5 cm, on their axes, each running on over the corner by half its thickness.
say("set Wall/Thickness 0.365")
wall(-H, 0, 3, 0); wall(3, 0, 14 + H, 0)
wall(14, -H, 14, 10 + H)
wall(14 + H, 10, 3, 10); wall(3, 10, -H, 10)
wall(0, 10 + H, 0, -H)
# The garage: 6 x 6 m on the east side.
wall(14, 0, 20 + H, 0); wall(20, -H, 20, 6 + H); wall(20 + H, 6, 14, 6)
# Inner walls, 24 cm.
say("set Wall/Thickness 0.24")
wall(5, 0, 5, 10)
wall(9.5, 0, 9.5, 10)
wall(0, 4, 5, 4)
wall(5, 6, 9.5, 6)
wall(9.5, 5, 14, 5)
wall(2.5, 4, 2.5, 10)
wall(11.75, 5, 11.75, 10)
wall(17, 0, 17, 6)
say("b_wall_connect_all")
# Windows, 1.26 m, in the outer walls; the outer side is outside the house.
for a, b in [((1.5, 0), (2.76, 0)), ((6.5, 0), (7.76, 0)), ((11, 0), (12.26, 0))]:
    window((a[0] + b[0]) / 2, 0.05, a, b, ((a[0] + b[0]) / 2, -1))
for a, b in [((1, 10), (2.26, 10)), ((3.4, 10), (4.66, 10)), ((6.5, 10), (7.76, 10)),
             ((10, 10), (11.26, 10)), ((12.3, 10), (13.56, 10))]:
    window((a[0] + b[0]) / 2, 9.95, a, b, ((a[0] + b[0]) / 2, 11))
for a, b in [((0, 1.2), (0, 2.46))]:
    window(0.05, (a[1] + b[1]) / 2, a, b, (-1, (a[1] + b[1]) / 2))
for a, b in [((20, 2), (20, 3.26))]:
    window(19.95, (a[1] + b[1]) / 2, a, b, (21, (a[1] + b[1]) / 2))
# Doors, 0.885 m (the front door 1.01 m), the leaf swinging into the room it opens.
door(8.5, 0.05, (8.1, 0), (9.11, 0), (8.6, -1), (8.3, 1))          # front door into the hall
door(5, 2, (5, 1.5), (5, 2.385), (6, 2), (4.5, 1.6))               # hall to living room
door(5, 7, (5, 7.2), (5, 8.085), (6, 7.5), (4.5, 7.3))             # corridor to the study
door(3.5, 4, (3.2, 4), (4.085, 4), (3.6, 3), (3.3, 4.5))           # living room to the kitchen
door(1.2, 4, (0.8, 4), (1.685, 4), (1.2, 3), (0.9, 4.5))           # living room to the dining room
door(9.5, 2, (9.5, 1.5), (9.5, 2.385), (8.5, 2), (10, 1.6))        # hall to the bedroom
door(10.5, 5, (10.2, 5), (11.085, 5), (10.6, 4), (10.3, 5.5))      # bedroom to the bath
door(14, 2, (14, 1.5), (14, 2.385), (13, 2), (14.5, 1.6))          # bedroom to the workshop
door(17, 3, (17, 2.5), (17, 3.385), (16, 3), (17.5, 2.6))          # workshop to the garage
door(7, 6, (6.5, 6), (7.385, 6), (7, 5), (6.7, 6.5))               # hall to the study
# Rooms, on the inner faces of their walls.
room(0.18, 0.18, 4.88, 3.88, "Wohnen", "0.01")
room(2.62, 4.12, 4.88, 9.82, "Kochen", "0.02")
room(0.18, 4.12, 2.38, 9.82, "Essen", "0.03")
room(5.12, 0.18, 9.38, 5.88, "Diele", "0.04")
room(9.62, 0.18, 13.82, 4.88, "Schlafen", "0.05")
room(14.18, 0.18, 16.88, 5.82, "Werkstatt", "0.06")
room(17.12, 0.18, 19.82, 5.82, "Garage", "0.07")
room(5.12, 6.12, 9.38, 9.82, "Arbeiten", "0.08")
room(9.62, 5.12, 11.63, 9.82, "Bad", "0.09")
room(11.87, 5.12, 13.82, 9.82, "Kind", "0.10")
say("s_alles")
say("p_file_save")
say("file house.krv")

path = os.path.join(os.path.dirname(__file__), "..", "doc", "house.txt")
with open(path, "w") as f:
    f.write("\n".join(out) + "\n")

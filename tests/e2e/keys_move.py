#!/usr/bin/env python3
"""Plays a board by keys and checks it by the rules, from screenshots.

    keys_move.py plan  SHOT STRIP COLOURS VIEW_TOP VIEW_HEIGHT STATE
    keys_move.py check SHOT STRIP COLOURS VIEW_TOP VIEW_HEIGHT STATE

The board is read from SHOT as check_board.py reads it: each cell centre shows
one of the first COLOURS pieces of STRIP, or no piece (an emptied cell).

plan: the cursor stands where STATE says (at the bottom left when STATE does
not exist yet) and its frame must show there. Picks the group nearest to the
cursor, prints the xdotool key names that walk there and press Enter, and
writes to STATE the board the rules give after that group's removal and the
cell the cursor lands on. Exits 1 when the frame is missing or no group is
left.

check: the board of SHOT must be the one in STATE, with the frame on STATE's
cursor cell. Prints the differences; exits 1 on any.
"""
import json
import os
import sys

from pixels import at, read_ppm

TOLERANCE = 48


def close(a, b):
    return sum(abs(p - q) for p, q in zip(a, b)) <= TOLERANCE


def read_board(shot, strip, colours, view_top, view_height):
    side = strip[1] // 2
    columns, rows = shot[0] // side, (view_height - 20) // side
    pieces = [at(strip, k * side + side // 2, side // 2) for k in range(colours)]
    board = []
    for c in range(columns):
        column = []
        for r in range(rows):
            seen = at(shot, c * side + side // 2, view_top + view_height - r * side - side // 2)
            found = [k + 1 for k, p in enumerate(pieces) if close(seen, p)]
            column.append(found[0] if found else 0)
        board.append(column)
    return board, side


def frame_problem(shot, side, view_top, view_height, cell):
    """None when the cursor's frame shows on cell, else what is wrong."""
    c, r = cell
    x, y = c * side, view_top + view_height - (r + 1) * side
    ring = max(1, side // 16)
    outer, inner = at(shot, x, y), at(shot, x + ring, y + ring)
    if outer != (0, 0, 0) or inner != (255, 255, 255):
        return f"no cursor frame on cell ({c},{r}): corner {outer}, inside it {inner}"
    return None


def group(board, c, r):
    value, cells, todo = board[c][r], set(), [(c, r)]
    while todo:
        c, r = todo.pop()
        if (c, r) in cells or not (0 <= c < len(board) and 0 <= r < len(board[0])) or board[c][r] != value:
            continue
        cells.add((c, r))
        todo += [(c - 1, r), (c + 1, r), (c, r - 1), (c, r + 1)]
    return cells


def remove(board, cells):
    """The rules: the group goes, pieces above fall, empty columns close to the left."""
    rows = len(board[0])
    kept = []
    for c, column in enumerate(board):
        left = [v for r, v in enumerate(column) if v and (c, r) not in cells]
        if left:
            kept.append(left + [0] * (rows - len(left)))
    return kept + [[0] * rows for _ in range(len(board) - len(kept))]


def landing(board, cell):
    c, r = cell
    if board[c][r]:
        return cell
    pieces = [((x - c) ** 2 + (y - r) ** 2, x, y) for x in range(len(board)) for y in range(len(board[0])) if board[x][y]]
    return list(min(pieces)[1:]) if pieces else [0, 0]


def main():
    mode, shot_path, strip_path = sys.argv[1:4]
    colours, view_top, view_height = int(sys.argv[4]), int(sys.argv[5]), int(sys.argv[6])
    state_path = sys.argv[7]
    shot = read_ppm(shot_path)
    board, side = read_board(shot, read_ppm(strip_path), colours, view_top, view_height)
    if mode == "check":
        with open(state_path) as f:
            state = json.load(f)
        failures = [f"cell ({c},{r}) shows {board[c][r]}, the rules say {state['board'][c][r]}"
                    for c in range(len(board)) for r in range(len(board[0])) if board[c][r] != state["board"][c][r]]
        problem = frame_problem(shot, side, view_top, view_height, state["cursor"])
        failures += [problem] if problem else []
        for line in failures[:8]:
            print(line)
        sys.exit(1 if failures else 0)

    cursor = [0, 0]
    if os.path.exists(state_path):
        with open(state_path) as f:
            cursor = json.load(f)["cursor"]
    problem = frame_problem(shot, side, view_top, view_height, cursor)
    if problem:
        print(problem, file=sys.stderr)
        sys.exit(1)
    # The nearest cell of a group, preferring the top of the group's column
    # part: a press that acted on a neighbour of the cursor's cell would then
    # clear another group, or none.
    targets = sorted((abs(c - cursor[0]) + abs(r - cursor[1]), (c, r + 1) in group(board, c, r), c, r)
                     for c in range(len(board)) for r in range(len(board[0]))
                     if board[c][r] and len(group(board, c, r)) >= 2)
    if not targets:
        print("no group left on the board", file=sys.stderr)
        sys.exit(1)
    _, _, c, r = targets[0]
    keys = (["Right"] * max(0, c - cursor[0]) + ["Left"] * max(0, cursor[0] - c) +
            ["Up"] * max(0, r - cursor[1]) + ["Down"] * max(0, cursor[1] - r) + ["Return"])
    after = remove(board, group(board, c, r))
    with open(state_path, "w") as f:
        json.dump({"board": after, "cursor": landing(after, [c, r])}, f)
    print(" ".join(keys))


if __name__ == "__main__":
    main()

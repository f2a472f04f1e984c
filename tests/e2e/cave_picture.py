"""What the game's 320x240 picture shows: border, read-outs, the ball, the cave."""

import time

from xsession import Picture, fail, wait_for

RED = (255, 0, 0)
WHITE = (255, 255, 255)
FPS_TEXT = (10, 10, 80, 30)  # left, top, right, bottom around the read-out at (10, 10)
SCORE_TEXT = (270, 190, 310, 210)  # around the read-out at (270, 190)
BALL_COLUMNS = (158, 170)  # the flying ball's image covers columns 160..167


def edge_pixels(picture):
    w, h = picture.width, picture.height
    return (picture.region(0, 0, w, 1) + picture.region(0, h - 1, w, h)
            + picture.region(0, 0, 1, h) + picture.region(w - 1, 0, w, h))


def has_border(picture):
    return all(p == RED for p in edge_pixels(picture))


def has_white(picture, box):
    return WHITE in picture.region(*box)


def is_ball_pixel(p):
    # The ball's shading rings are pure reds from 98 to 255; rock and cave are light greys.
    return p[0] >= 90 and p[1] == 0 and p[2] == 0


def ball_top(picture):
    """Top row of the flying ball, or None when it is not in its columns."""
    left, right = BALL_COLUMNS
    for y in range(1, picture.height - 1):
        if any(is_ball_pixel(p) for p in picture.region(left, y, right, y + 1)):
            return y
    return None


def is_cave_alone(picture):
    """The paused picture: no border, read-outs or ball."""
    return not (has_border(picture) or has_white(picture, FPS_TEXT)
                or has_white(picture, SCORE_TEXT) or ball_top(picture) is not None)


def colour_count(picture):
    return len(set(picture.region(1, 1, picture.width - 1, picture.height - 1)))


def ball_track(session, window, seconds):
    """Ball rows seen during `seconds`; pictures without the flying ball are skipped."""
    rows, deadline = [], time.monotonic() + seconds
    while time.monotonic() < deadline:
        top = ball_top(session.screenshot(window))
        if top is not None:
            rows.append(top)
    return rows


def box_picture(x, known=(), seconds=10):
    """The Game Over! box not among `known`, once fully drawn, and its picture."""
    new_boxes = lambda: [b for b in x.windows_named("Game Over!") if b not in known]
    box = wait_for(new_boxes, seconds, "a Game Over! box")[0]
    # The box gets its contents drawn after it is mapped: wait for text on it, the same in two
    # shots in a row.
    shots = [x.screenshot(box)]

    def drawn():
        shots.append(x.screenshot(box))
        return shots[-1].data == shots[-2].data and colour_count(shots[-1]) > 1

    wait_for(drawn, 5, "the box to be drawn")
    return box, shots[-1]


def shrunk(picture, n):
    """One pixel per n x n block, after checking every block is a single colour."""
    row_bytes = 3 * picture.width
    rows = [picture.data[y * row_bytes : (y + 1) * row_bytes] for y in range(picture.height)]
    small = bytearray()
    for y in range(0, picture.height, n):
        if any(rows[y + k] != rows[y] for k in range(1, n)):
            fail(f"scale {n}: rows {y}..{y + n - 1} differ")
        for x in range(0, row_bytes, 3 * n):
            block = rows[y][x : x + 3 * n]
            if block != block[:3] * n:
                fail(f"scale {n}: pixels {x // 3}..{x // 3 + n - 1} of row {y} differ")
            small += block[:3]
    return Picture(picture.width // n, picture.height // n, bytes(small))

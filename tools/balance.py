#!/usr/bin/env python3
"""make balance: every shipped level with its own game type, bot matches from fixed seeds,
written to docs/tournament.md with the fairness of each level's wins."""
import argparse
import datetime
import json
import os
import subprocess
import sys
import tempfile
import time


def git(*args):
    try:
        return subprocess.run(['git', *args], capture_output=True, text=True, check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return ''


def team_cell(r):
    w = r['teamWins']
    return 'red %d, blue %d' % (w['red team'], w['blue team'])


def fairness_rows(results, swapped):
    rows = ['| level | game type | ended | wins | p | flagged | sides swapped: wins, p |',
            '| --- | --- | --- | --- | --- | --- | --- |']
    for r in results:
        if 'teamWins' in r:
            wins = team_cell(r)
            p = r['teamShareP']
        else:
            wins = ', '.join(str(n) for n in r.get('slotWins', [])) or '-'
            p = r['slotSpreadP']
        swap = swapped.get(r['level'])
        swap_cell = '%s, %.4f%s' % (team_cell(swap), swap['teamShareP'],
                                    ' FLAGGED' if swap['fairnessFlagged'] else '') if swap else '-'
        rows.append('| %d %s | %s | %d/%d | %s | %.4f | %s | %s |' % (
            r['level'], r['levelName'], r['gameTypeName'], r['ended'], r['matches'], wins, p,
            'FLAGGED' if r['fairnessFlagged'] else '', swap_cell))
    return rows


def tournament(cmd, json_path):
    run = subprocess.run(cmd + ['--json', json_path], capture_output=True, text=True)
    if run.returncode != 0:
        sys.stderr.write(run.stderr)
        return run, None
    return run, json.load(open(json_path))['results']


def swapped_sides(a, results, tmp):
    """Each team level again with the teams' sides traded, from the seeds it had in the
    sweep, so a side's edge and the first mover's edge can be told apart."""
    out = {}
    for i, r in enumerate(results):
        if 'teamWins' not in r:
            continue
        first_seed = 1 + i * a.matches  # the sweep gives each level the next run of seeds
        cmd = [a.sim, '--data', a.data, '--tournament', '--own-type', '--matches', str(a.matches),
               '--frames', str(a.frames), '--level', str(r['level']), '--seed', str(first_seed),
               '--swap-teams']
        run, got = tournament(cmd, os.path.join(tmp, 'swap.json'))
        if got is None:
            raise SystemExit(run.returncode)
        out[r['level']] = got[0]
    return out


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--sim', required=True)
    ap.add_argument('--data', default='data')
    ap.add_argument('--matches', type=int, default=20)
    ap.add_argument('--frames', type=int, default=20000)
    ap.add_argument('--out', default='docs/tournament.md')
    a = ap.parse_args()
    with tempfile.TemporaryDirectory() as tmp:
        cmd = [a.sim, '--data', a.data, '--tournament', '--own-type', '--matches', str(a.matches),
               '--frames', str(a.frames)]
        shown = ' '.join(cmd)
        start = time.monotonic()
        run, results = tournament(cmd, os.path.join(tmp, 'balance.json'))
        if results is None:
            return run.returncode
        swapped = swapped_sides(a, results, tmp)
        took = time.monotonic() - start
    commit = git('rev-parse', '--short', 'HEAD')
    dirty = ' (with uncommitted changes)' if git('status', '--porcelain', '--', 'src', 'tools', a.data) else ''
    flagged = [r for r in results if r['fairnessFlagged']]
    short = [r for r in results if r['ended'] * 20 < r['matches'] * 19]
    doc = ['# Tournament', '',
           'Date: %s' % datetime.datetime.now(datetime.timezone.utc).strftime('%a %b %d %H:%M:%S UTC %Y'), '',
           'Commit measured: %s%s' % (commit or 'unknown', dirty), '',
           'Made by `make balance` (RelWithDebInfo build); %.0f s on this machine. Command:' % took, '',
           '    ' + shown, '',
           'and for each team level L, from the seeds it had above:', '',
           '    %s --level L --seed S --swap-teams' % shown, '',
           'Each level plays its own game type to its own winning score: six bots, %d' % a.matches,
           'matches from consecutive seeds (1 on), each capped at %d frames (%.1f minutes' % (
               a.frames, a.frames / 2400.0),
           'at 40 frames a second). "1st death" is the mean frame at which the first ball',
           'was lost.', '',
           '## Fairness', '',
           'Team games: each team\'s wins among the matches that ended, and the p-value of',
           'an exact two-sided binomial test against an even chance (p = 1/2); flagged under',
           '5%. Free-for-all games: the wins by roster slot (Red, Yellow, Orange, Purple,',
           'Green, Blue) and the p-value of Pearson\'s chi-square test of an even spread',
           '(5 degrees of freedom; rough with so few wins a slot), flagged under 5%. At 5%',
           'about one row in twenty is flagged by chance alone.', '',
           'The last column plays each team level again from the same seeds with the teams',
           'trading sides (`--swap-teams`): red keeps its roster slots, so it still moves',
           'first in every frame. A side that favours its team shows as a share that turns',
           'over when the sides are traded; moving first, as a share that stays.', '',
           'In a free-for-all a fallen ball that comes back before the round ends (Race,',
           'Endurance, Tag, Pinata, Body Count) comes back on its own start line, so a start',
           'nearer the objective shows as a roster slot that wins more than its share; the',
           'round types (Deathmatch, Unstable and Blink) shuffle the places every round.',
           '`tethrix-sim --rotate-starts K` tells the two apart: a start\'s edge moves with it.', '']
    doc += fairness_rows(results, swapped)
    doc += ['', 'Flagged: %s.' % (', '.join('level %d %s' % (r['level'], r['levelName']) for r in flagged)
                                   or 'none'),
            'Levels ending fewer than 19 of 20 matches: %s.' % (
                ', '.join('level %d %s' % (r['level'], r['levelName']) for r in short) or 'none'),
            '', '## Every level', '', '```', run.stdout.rstrip(), '```', '']
    with open(a.out, 'w') as f:
        f.write('\n'.join(doc))
    print('balance: %d levels, %d flagged, %d short of 19 in 20 ended; %.0f s; wrote %s' % (
        len(results), len(flagged), len(short), took, a.out))
    return 0


if __name__ == '__main__':
    sys.exit(main())

#!/usr/bin/python3
# -*- coding: utf-8 -*-
# Ansible module for quillmark: BIOS update, configuration backup and restore.

from __future__ import absolute_import, division, print_function

DOCUMENTATION = r'''
module: quillmark
short_description: Update the BIOS and back up or restore its configuration with quillmark
description:
  - Runs C(quillmark --json VERB ...) on the host and reads its event stream.
  - An update that finds the BIOS the board runs already is reported as unchanged, not failed.
  - In check mode nothing that can write firmware or configuration is sent; the result is
    predicted from the board's status and the package's description.
options:
  action:
    description: The job to run.
    type: str
    choices: [update, backup, restore, status]
    default: update
  package:
    description: A C(.bup) package, or a folder whose best package is taken. Required for I(action=update).
    type: path
  archive:
    description: The configuration archive written by a backup or read by a restore.
    type: path
  allow_reinstall:
    description: Install the BIOS the board runs already (for a restore, an archive that needs this confirmation).
    type: bool
    default: false
  allow_older:
    description: Install an older BIOS (for a restore, an archive that needs this confirmation).
    type: bool
    default: false
  overwrite:
    description: Replace an existing backup archive.
    type: bool
    default: false
  reboot:
    description:
      - Let the kernel reboot the host when the job needs it.
      - When false the job runs with C(--no-reboot) and I(reboot_required) tells the playbook to reboot.
    type: bool
    default: false
  password:
    description: The BIOS password; handed to quillmark on standard input, never on its command line.
    type: str
  quillmark:
    description: The front-end; searched on PATH and then in /opt/fleetmon/quillmark/bin.
    type: str
    default: quillmark
  timeout:
    description: Seconds the front-end waits for the kernel (its C(--timeout)).
    type: int
'''

RETURN = r'''
msg: {description: "The job's summary and hint; in check mode a prediction.", type: str, returned: always}
reboot_required: {description: A reboot was skipped and is needed to finish the job., type: bool, returned: always}
bios_before: {description: BIOS version before the update., type: str, returned: update, when known}
bios_after: {description: BIOS version after the update., type: str, returned: update, when known}
events: {description: The front-end's JSON events of the job., type: list, returned: always}
rc: {description: The front-end's exit code., type: int, returned: when it ran}
state: {description: "The kernel's state (ready, busy, no_board_module ...).", type: str, returned: status}
bios: {description: The active BIOS version., type: str, returned: status}
system: {description: The system (board) name., type: str, returned: status}
me_firmware: {description: The ME firmware version., type: str, returned: status}
'''

import json
import os
import re
import stat
import struct
import zipfile
import zlib

from ansible.module_utils.basic import AnsibleModule

INSTALL_BIN = '/opt/fleetmon/quillmark/bin'

# Limits on an untrusted package, as the kernel's defaults.
MAX_DESCRIPTION = 1024 * 1024
MAX_MEMBERS = 4096
MAX_RATIO = 1000
MAX_CENTRAL_DIRECTORY = 16 * 1024 * 1024
MAX_DEPTH = 256
MAX_FOLDER_PACKAGES = 1000
DESCRIPTION = 'bupinfo2.xml'

# Verdicts ranked as the kernel prefers them.
RANK = {'newer_major': 0, 'newer': 1, 'same': 2, 'older': 3}


# ---- the event stream --------------------------------------------------------

def parse_events(text):
    """The JSON objects of the stream, and the number of lines that were none."""
    events, bad = [], 0
    for line in text.splitlines():
        line = line.strip()
        if not line:
            continue
        try:
            event = json.loads(line)
        except ValueError:
            bad += 1
            continue
        if isinstance(event, dict):
            events.append(event)
        else:
            bad += 1
    return events, bad


def last_event(events, name):
    for event in reversed(events):
        if event.get('event') == name:
            return event
    return None


def messages(events, kind):
    return [e for e in events if e.get('event') == 'message' and e.get('kind') == kind]


def message_texts(events, kind):
    texts = []
    for event in messages(events, kind):
        for key in ('text', 'message'):
            if isinstance(event.get(key), str):
                texts.append(event[key])
        if isinstance(event.get('texts'), list):
            texts.extend(t for t in event['texts'] if isinstance(t, str))
    return texts


def chosen_candidate(events, done):
    """The candidate the job was about: the one named by the result, else the best ranked."""
    candidates = [e['candidate'] for e in messages(events, 'candidate') if isinstance(e.get('candidate'), dict)]
    if not candidates:
        return None
    wanted = os.path.basename(str((done or {}).get('file') or ''))
    for c in candidates:
        if wanted and os.path.basename(str(c.get('name', ''))) == wanted:
            return c
    return min(candidates, key=lambda c: RANK.get(c.get('verdict'), len(RANK)))


def join_msg(*parts):
    return '; '.join(p for p in parts if p)


def job_result(events, rc, params, stderr=''):
    """The module's result for one job's events and exit code."""
    done = last_event(events, 'done')
    failure = last_event(events, 'failure')
    result = {'changed': False, 'failed': False, 'reboot_required': False, 'events': events, 'rc': rc}
    if done is None:
        if failure is not None:
            result['msg'] = join_msg(failure.get('message'), failure.get('hint'))
        else:
            tail = stderr.strip().splitlines()[-1:] if stderr else []
            result['msg'] = join_msg('quillmark ended with exit code %s without a result' % rc, *tail)
        result['failed'] = True
        return result

    result['reboot_required'] = done.get('reboot') == 'needed'
    summary, hint = done.get('summary', ''), done.get('hint')
    ok = rc == 0 and done.get('result') == 'done'
    if ok:
        result['changed'] = params.get('action') in ('update', 'backup', 'restore')
        result['msg'] = join_msg(summary, hint)
        return result

    errors = ' '.join(message_texts(events, 'error') + [summary])
    refused = 'confirmations missing' in errors
    candidate = chosen_candidate(events, done) or {}
    verdict = candidate.get('verdict')
    if params.get('action') == 'update' and refused and verdict == 'same' and not params.get('allow_reinstall'):
        result['msg'] = 'the board runs BIOS %s already: nothing to do (set allow_reinstall to install it again)' % (
            candidate.get('bios_version') or '?')
        return result
    # The front-end's hint names its flags; say which option of this module gives them.
    remedies = []
    if refused and 'reboot' in errors and not params.get('reboot'):
        remedies.append('set reboot: true, the package is installed across a restart')
    if refused and verdict == 'older':
        remedies.append('set allow_older: true to install an older BIOS')
    if refused and verdict == 'same':
        remedies.append('set allow_reinstall: true to install the same BIOS again')
    if refused and params.get('action') == 'backup' and not params.get('overwrite'):
        remedies.append('set overwrite: true to replace the archive')
    if 'password' in errors.lower() and not params.get('password'):
        remedies.append('set password to the BIOS password')
    result['failed'] = True
    result['msg'] = join_msg(summary, hint, *remedies)
    return result


# ---- the package description ------------------------------------------------

class PackageError(Exception):
    pass


NAME_CHAR = re.compile(rb'[A-Za-z0-9_]')


def _tag_end(data, pos):
    """Index of the '>' closing the tag at pos; quoted attribute values may hold '>'."""
    quoted = False
    for i in range(pos, len(data)):
        ch = data[i:i + 1]
        if ch == b'"':
            quoted = not quoted
        elif ch == b'>' and not quoted:
            return i
    return -1


def _tag_name(data, pos):
    """The name starting at pos, with characters names cannot hold dropped, and where it ends."""
    end = pos
    while end < len(data) and data[end:end + 1] not in (b' ', b'\t', b'>', b'/'):
        end += 1
    raw = data[pos:end]
    return b''.join(NAME_CHAR.findall(raw)).decode('ascii'), end


def parse_description(data):
    """Root name and the texts of the root's leaf children, read in the boards' dialect:
    no declaration or other '<?'/'<!' than comments, no entity decoding, CR/LF dropped."""
    data = data.replace(b'\r', b'').replace(b'\n', b'')
    pos = data.find(b'<')
    if pos < 0:
        raise PackageError('the description holds no element')
    root = None
    children = []
    stack = []  # [name, text, has_children]
    while 0 <= pos < len(data):
        if data[pos:pos + 1] != b'<':
            raise PackageError('the description has text outside its root element')
        if data.startswith(b'<!--', pos):
            end = data.find(b'-->', pos + 4)
            if end < 0:
                break
            pos = end + 3
        elif data.startswith(b'<!', pos) or data.startswith(b'<?', pos):
            raise PackageError('the description holds a declaration, CDATA or document type')
        elif data.startswith(b'</', pos):
            end = data.find(b'>', pos)
            if end < 0:
                break
            name, _ = _tag_name(data, pos + 2)
            if not stack or stack[-1][0] != name:
                raise PackageError('the description closes an element it did not open')
            node = stack.pop()
            if len(stack) == 1 and not node[2]:
                children.append((node[0], node[1]))
            pos = end + 1
            if not stack:
                break
        else:
            first = data[pos + 1:pos + 2]
            if not (first.isalpha() and first.isascii() or first == b'_'):
                raise PackageError('the description has a "<" followed by no name')
            end = _tag_end(data, pos + 1)
            if end < 0:
                break
            name, _ = _tag_name(data, pos + 1)
            empty = data[end - 1:end] == b'/'
            if stack:
                stack[-1][2] = True
            elif root is None:
                root = name
            if empty:
                if len(stack) == 1:
                    children.append((name, b''))
                if not stack:
                    break
            else:
                if len(stack) >= MAX_DEPTH:
                    raise PackageError('the description nests elements too deep')
                stack.append([name, b'', False])
            pos = end + 1
        if stack and 0 <= pos < len(data):
            nxt = data.find(b'<', pos)
            text = data[pos:] if nxt < 0 else data[pos:nxt]
            if nxt < 0:
                break  # the document ended early: an open element keeps no text
            stack[-1][1] += text
            pos = nxt
    return root, [(n, t.decode('utf-8', 'replace')) for n, t in children]


def description_fields(data):
    """packtype, boards, biosversion, obsoletefrom and the reboot flags of a description."""
    root, children = parse_description(data)
    if root != 'bupinfo2':
        raise PackageError('the description is no bupinfo2 document')

    def values(name, trim=True):
        return [t.strip(' \t') if trim else t for n, t in children if n == name]

    def single(name, trim=True):
        found = values(name, trim)
        return found[0] if found else None

    def flag(name):
        return (single(name) or '').lower() in ('true', 'yes', '1')

    return {
        'packtype': single('packtype', trim=False),
        'boards': values('board'),
        'biosversion': single('biosversion'),
        'obsoletefrom': single('obsoletefrom'),
        'rebootbefore': flag('rebootbefore'),
        'rebootafter': flag('rebootafter'),
    }


def _central_directory_check(f, size):
    """Refuses archives whose member count or central directory is beyond the limits,
    before zipfile reads the directory into memory."""
    tail_len = min(size, 22 + 65535)
    f.seek(size - tail_len)
    tail = f.read(tail_len)
    at = tail.rfind(b'PK\x05\x06')
    if at < 0 or len(tail) - at < 22:
        raise PackageError('not a zip archive')
    _, _, _, entries, total, cd_size, cd_offset, _ = struct.unpack('<4sHHHHIIH', tail[at:at + 22])
    if entries == 0xFFFF or total == 0xFFFF or cd_size == 0xFFFFFFFF or cd_offset == 0xFFFFFFFF:
        raise PackageError('the archive is too large for a package (zip64)')
    if total > MAX_MEMBERS:
        raise PackageError('the archive has %d members, more than %d' % (total, MAX_MEMBERS))
    if cd_size > MAX_CENTRAL_DIRECTORY:
        raise PackageError('the archive directory is too large')
    f.seek(0)


def read_description(path):
    """The bytes of a package's BupInfo2.xml, read in memory under the kernel's limits."""
    try:
        fd = os.open(path, os.O_RDONLY | os.O_NONBLOCK | os.O_NOCTTY | getattr(os, 'O_CLOEXEC', 0))
    except OSError as e:
        raise PackageError('cannot open %s: %s' % (path, e.strerror))
    st = os.fstat(fd)
    if not stat.S_ISREG(st.st_mode):
        os.close(fd)
        raise PackageError('%s is not a regular file' % path)
    with os.fdopen(fd, 'rb') as f:
        try:
            _central_directory_check(f, st.st_size)
            with zipfile.ZipFile(f) as zf:
                found = [i for i in zf.infolist() if i.filename.lower() == DESCRIPTION]
                if not found:
                    raise PackageError('%s has no BupInfo2.xml' % path)
                if len(found) > 1:
                    raise PackageError('%s has BupInfo2.xml more than once' % path)
                info = found[0]
                if info.flag_bits & 0x1:
                    raise PackageError('the description of %s is encrypted' % path)
                kind = stat.S_IFMT(info.external_attr >> 16)
                if info.is_dir() or kind and kind != stat.S_IFREG:
                    raise PackageError('the description of %s is no regular member' % path)
                if info.file_size > MAX_DESCRIPTION:
                    raise PackageError('the description of %s is larger than %d KiB' % (path, MAX_DESCRIPTION // 1024))
                if info.file_size > MAX_RATIO * max(info.compress_size, 1):
                    raise PackageError('the description of %s is compressed beyond ratio %d' % (path, MAX_RATIO))
                with zf.open(info) as member:
                    data = member.read(MAX_DESCRIPTION + 1)
        except PackageError:
            raise
        except (zipfile.BadZipFile, zipfile.LargeZipFile, NotImplementedError, RuntimeError,
                EOFError, zlib.error, OSError, ValueError, struct.error) as e:
            raise PackageError('%s is no readable package: %s' % (path, e))
    if len(data) > MAX_DESCRIPTION:
        raise PackageError('the description of %s is larger than it says' % path)
    return data


# ---- the prediction ----------------------------------------------------------

VERSION = re.compile(r'[A-Za-z]*([0-9]+(?:\.[0-9]+)*)')


def version_key(text):
    """Numbers of a version, or None: the letter prefix takes no part, missing numbers count 0."""
    m = VERSION.fullmatch((text or '').strip(' \t'))
    if not m:
        return None
    return [int(n) for n in m.group(1).split('.')]


def version_compare(a, b):
    ka, kb = version_key(a), version_key(b)
    if ka is None or kb is None:
        return None
    n = max(len(ka), len(kb))
    ka, kb = ka + [0] * (n - len(ka)), kb + [0] * (n - len(kb))
    return (ka > kb) - (ka < kb)


def package_verdict(fields, board, bios):
    """What the board would make of a package: newer, same, older, obsolete or incompatible,
    with the reason for the last."""
    if fields['packtype'] != 'BIOS':
        return 'incompatible', 'it is no BIOS package (packtype %s)' % fields['packtype']
    if board not in fields['boards']:
        return 'incompatible', 'it is for %s, not for this board %s' % (', '.join(fields['boards']) or 'no board', board)
    cmp = version_compare(fields['biosversion'], bios)
    if cmp is None:
        return 'incompatible', 'BIOS versions %s and %s cannot be compared' % (fields['biosversion'], bios)
    if cmp > 0:
        return 'newer', None
    if cmp == 0:
        return 'same', None
    obsolete = version_compare(bios, fields['obsoletefrom']) if fields['obsoletefrom'] else None
    if obsolete is not None and obsolete >= 0:
        return 'obsolete', 'boards at BIOS %s or later must not go back to it' % fields['obsoletefrom']
    return 'older', None


def package_files(path):
    """The package, or the regular .bup files directly in the folder."""
    if not os.path.isdir(path):
        return [path]
    names = []
    for entry in os.scandir(path):
        if entry.name.lower().endswith('.bup') and entry.is_file(follow_symlinks=False):
            names.append(entry.path)
            if len(names) > MAX_FOLDER_PACKAGES:
                raise PackageError('%s holds more than %d packages' % (path, MAX_FOLDER_PACKAGES))
    return sorted(names)


def predict_update(status, packages, params):
    """The check-mode result of an update: status is the board's status event,
    packages a list of (path, fields or PackageError)."""
    board, bios = status.get('system', ''), status.get('bios', '')
    judged = []
    reasons = []
    for path, fields in packages:
        if isinstance(fields, Exception):
            reasons.append('%s: %s' % (os.path.basename(path), fields))
            continue
        verdict, why = package_verdict(fields, board, bios)
        if why:
            reasons.append('%s: %s' % (os.path.basename(path), why))
        judged.append((RANK.get(verdict, len(RANK)), path, verdict, fields))
    result = {'changed': False, 'failed': False, 'reboot_required': False, 'bios_before': bios}
    usable = sorted(j for j in judged if j[2] in RANK)
    if not usable:
        result['failed'] = True
        result['msg'] = 'prediction: the update would fail, no package fits: ' + '; '.join(reasons or ['no package found'])
        return result
    _, path, verdict, fields = usable[0]
    name, version = os.path.basename(path), fields['biosversion']
    if verdict == 'same' and not params.get('allow_reinstall'):
        result['msg'] = 'prediction: nothing to do, the board runs BIOS %s already (%s)' % (bios, name)
        return result
    if verdict == 'older' and not params.get('allow_older'):
        result['failed'] = True
        result['msg'] = ('prediction: the update would be refused, %s carries the older BIOS %s (the board runs %s); '
                         'set allow_older: true to install it' % (name, version, bios))
        return result
    result['changed'] = True
    result['bios_after'] = version
    result['reboot_required'] = (fields['rebootafter'] or fields['rebootbefore']) and not params.get('reboot')
    result['msg'] = 'prediction: BIOS %s would be updated to %s from %s' % (bios, version, name)
    return result


def predict_archive(status, archive, fields, params):
    """The check-mode result of a backup or restore."""
    result = {'changed': True, 'failed': False, 'reboot_required': False}
    action = params['action']
    if action == 'backup':
        if archive and os.path.lexists(archive) and not params.get('overwrite'):
            result.update(changed=False, failed=True,
                          msg='prediction: the backup would fail, %s exists (set overwrite: true)' % archive)
        else:
            result['msg'] = 'prediction: the configuration would be archived%s' % (' to ' + archive if archive else '')
        return result
    if isinstance(fields, Exception):
        result.update(changed=False, failed=True, msg='prediction: the restore would fail: %s' % fields)
    elif fields is not None and (fields['packtype'] != 'CONFIG' or status.get('system') not in fields['boards']):
        result.update(changed=False, failed=True,
                      msg='prediction: the restore would fail, %s is no configuration archive for board %s'
                          % (archive, status.get('system')))
    else:
        result['msg'] = 'prediction: the configuration would be restored%s' % (' from ' + archive if archive else '')
    return result


# ---- running the front-end -------------------------------------------------

def front_end_args(params):
    """The command line of the job; the password goes on standard input."""
    action = params['action']
    args = ['--json']
    if params.get('timeout'):
        args += ['--timeout', str(params['timeout'])]
    if action == 'status':
        return args + ['status']
    args.append(action)
    name = params.get('package') if action == 'update' else params.get('archive')
    if name:
        args.append(os.path.abspath(name))
    if action in ('update', 'restore'):
        if params.get('allow_reinstall'):
            args.append('--allow-reinstall')
        if params.get('allow_older'):
            args.append('--allow-older')
    if action == 'backup' and params.get('overwrite'):
        args.append('--overwrite')
    if action in ('update', 'restore'):
        args.append('--reboot' if params.get('reboot') else '--no-reboot')
    if params.get('password') and action != 'status':
        args.append('--password')
    return args


def run_front_end(module, binary, params):
    args = [binary] + front_end_args(params)
    data = params.get('password') if '--password' in args else None
    rc, out, err = module.run_command(args, data=data, check_rc=False)
    events, bad = parse_events(out)
    if bad:
        module.warn('%d lines of quillmark output were no JSON' % bad)
    return rc, events, err


def board_status(module, binary, params):
    rc, events, err = run_front_end(module, binary, dict(params, action='status'))
    return last_event(events, 'status') or {}, rc, events, err


def finish(module, result):
    # 'failed' stays in the result: without it Ansible takes a non-zero rc for a failure.
    if result['failed']:
        module.fail_json(**result)
    module.exit_json(**result)


def find_front_end(module, name):
    if '/' in name:
        return name if os.access(name, os.X_OK) else None
    return module.get_bin_path(name, required=False, opt_dirs=[INSTALL_BIN])


def check_mode(module, binary, params):
    status, rc, events, err = board_status(module, binary, params)
    if not status or status.get('state') not in ('ready', 'busy'):
        result = job_result(events, rc, params, err) if rc else {}
        module.fail_json(msg='prediction impossible: the board status is not known (%s)'
                         % (result.get('msg') or status.get('state', 'no status')), events=events)
    action = params['action']
    if action == 'update':
        packages = []
        try:
            files = package_files(params['package'])
        except (PackageError, OSError) as e:
            module.fail_json(msg='prediction: %s' % e, events=events)
        for path in files:
            try:
                packages.append((path, description_fields(read_description(path))))
            except PackageError as e:
                packages.append((path, e))
        result = predict_update(status, packages, params)
    else:
        archive = params.get('archive')
        fields = None
        if action == 'restore' and archive:
            try:
                fields = description_fields(read_description(archive))
            except PackageError as e:
                fields = e
        result = predict_archive(status, archive, fields, params)
    result['events'] = events
    finish(module, result)


def main():
    module = AnsibleModule(
        argument_spec=dict(
            action=dict(type='str', default='update', choices=['update', 'backup', 'restore', 'status']),
            package=dict(type='path'),
            archive=dict(type='path'),
            allow_reinstall=dict(type='bool', default=False),
            allow_older=dict(type='bool', default=False),
            overwrite=dict(type='bool', default=False),
            reboot=dict(type='bool', default=False),
            password=dict(type='str', no_log=True),
            quillmark=dict(type='str', default='quillmark'),
            timeout=dict(type='int'),
        ),
        required_if=[('action', 'update', ['package'])],
        supports_check_mode=True,
    )
    params = module.params
    binary = find_front_end(module, params['quillmark'])
    if not binary:
        module.fail_json(msg='quillmark not found: %s (set the quillmark option to its path)' % params['quillmark'])
    if params['password'] and '\n' in params['password']:
        # The front-end reads one line: the rest would be left over.
        module.fail_json(msg='password must be one line')

    if params['action'] == 'status':
        status, rc, events, err = board_status(module, binary, params)
        result = job_result(events, rc, params, err) if last_event(events, 'done') or rc else {
            'changed': False, 'failed': False, 'events': events, 'rc': rc}
        result.update({k: status.get(k) for k in ('state', 'bios', 'system', 'me_firmware') if k in status})
        result.setdefault('msg', 'BIOS %s on %s' % (status.get('bios'), status.get('system')))
        result['reboot_required'] = False
        finish(module, result)

    if module.check_mode:
        check_mode(module, binary, params)

    before = None
    if params['action'] == 'update':
        before = board_status(module, binary, params)[0].get('bios')
    rc, events, err = run_front_end(module, binary, params)
    result = job_result(events, rc, params, err)
    if params['action'] == 'update':
        if before is not None:
            result['bios_before'] = before
        after = board_status(module, binary, params)[0].get('bios')
        if after is not None:
            result['bios_after'] = after
    finish(module, result)


if __name__ == '__main__':
    main()

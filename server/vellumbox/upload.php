<?php
// Reference receiver of the SMART reports, for PHP's built-in server:
//
//   php -d upload_max_filesize=64M -d post_max_size=64M -S 127.0.0.1:8080 -t server
//
// Takes one multipart/form-data POST with the report in the field "file", keeps the report
// under the data folder (QM_RECEIVER_DATA, else qm-receiver-data in the system's temporary
// folder; never below the web root, so stored reports cannot be fetched back) and answers
// with one line of plain text naming the customer and the number of disk blocks.
// Everything else gets a 4xx status and a plain-text reason.

declare(strict_types=1);

function answer(int $status, string $text, array $headers = []): void
{
    http_response_code($status);
    header('Content-Type: text/plain; charset=windows-1252');
    foreach ($headers as $name => $value) {
        header("$name: $value");
    }
    echo $text;
    exit;
}

function data_folder(): string
{
    $folder = getenv('QM_RECEIVER_DATA');
    if ($folder === false || $folder === '') {
        $folder = sys_get_temp_dir() . DIRECTORY_SEPARATOR . 'qm-receiver-data';
    }
    if (!is_dir($folder) && !@mkdir($folder, 0700, true) && !is_dir($folder)) {
        answer(500, "The report cannot be stored: no data folder.\r\n");
    }
    return $folder;
}

// The client's file name reduced to its last path element and to characters that are safe
// in any file system; a unique time stamp and random part in front keep reports apart.
function stored_name(string $clientName): string
{
    $parts = preg_split('#[/\\\\]#', $clientName);
    $base = (string)end($parts);
    $base = preg_replace('/[^A-Za-z0-9._-]/', '_', $base);
    $base = ltrim($base, '.');
    $base = substr($base, 0, 120);
    if ($base === '') {
        $base = 'report.smart';
    }
    return gmdate('Ymd-His') . '-' . bin2hex(random_bytes(4)) . '-' . $base;
}

// The first line of the report is the customer's name; disk blocks start with "===| Disk N |".
function read_report(string $path): array
{
    $customer = '';
    $disks = 0;
    $handle = fopen($path, 'rb');
    if ($handle === false) {
        answer(500, "The report cannot be read back.\r\n");
    }
    $first = true;
    while (($line = fgets($handle)) !== false) {
        if ($first) {
            $customer = rtrim($line, "\r\n");
            $first = false;
        }
        if (preg_match('/^===\| Disk \d+ \|/', $line)) {
            $disks++;
        }
    }
    fclose($handle);
    // Echoed back as text: no control characters, a sane length.
    $customer = substr(preg_replace('/[\x00-\x1F\x7F]/', '', $customer), 0, 200);
    return [$customer, $disks];
}

if (($_SERVER['REQUEST_METHOD'] ?? '') !== 'POST') {
    answer(405, "Only POST is accepted here.\r\n", ['Allow' => 'POST']);
}

$type = $_SERVER['CONTENT_TYPE'] ?? '';
if (stripos($type, 'multipart/form-data') !== 0) {
    answer(415, "The report must be sent as multipart/form-data.\r\n");
}

// Above post_max_size PHP drops the whole body; say so instead of "missing field".
$limit = ini_get('post_max_size');
$limitBytes = (int)$limit * (['K' => 1024, 'M' => 1 << 20, 'G' => 1 << 30][strtoupper(substr($limit, -1))] ?? 1);
if ($limitBytes > 0 && (int)($_SERVER['CONTENT_LENGTH'] ?? 0) > $limitBytes) {
    answer(413, "The report is too large.\r\n");
}

$file = $_FILES['file'] ?? null;
if ($file === null) {
    answer(400, "The form field \"file\" is missing.\r\n");
}
if (is_array($file['error'])) {
    answer(400, "Send exactly one file in the field \"file\".\r\n");
}
switch ($file['error']) {
    case UPLOAD_ERR_OK:
        break;
    case UPLOAD_ERR_INI_SIZE:
    case UPLOAD_ERR_FORM_SIZE:
        answer(413, "The report is too large.\r\n");
    case UPLOAD_ERR_PARTIAL:
        answer(400, "The report arrived incomplete.\r\n");
    case UPLOAD_ERR_NO_FILE:
        answer(400, "The form field \"file\" holds no file.\r\n");
    default:
        answer(500, "The report could not be received (upload error " . (int)$file['error'] . ").\r\n");
}
if (!is_uploaded_file($file['tmp_name'])) {
    answer(400, "The form field \"file\" holds no uploaded file.\r\n");
}

$name = stored_name((string)$file['name']);
$target = data_folder() . DIRECTORY_SEPARATOR . $name;
if (!move_uploaded_file($file['tmp_name'], $target)) {
    answer(500, "The report cannot be stored.\r\n");
}

[$customer, $disks] = read_report($target);
answer(200, "Report received for $customer: $disks disk block" . ($disks === 1 ? '' : 's') . ".",
       ['X-Stored-As' => $name]);
